// Paste, cut and delete of the edit box, from the keyboard and from its
// context menu alike: either way the data set goes into edit mode, a pasted
// text is matched against the picture as typing would be, and the value
// check runs afterwards. Text the table's code page cannot hold is refused
// with a message naming the character, and the box keeps what it had.
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>

#include "data/field.h"
#include "edit/picture_typing.h"
#include "edit/table_text.h"
#include "edit/wwdbedit.h"
#include "toolkit/ui_services.h"

namespace edit {

bool TwwDBCustomEdit::CanChangeText() const {
  if (link_.ReadOnly()) return false;
  if (!Bound()) return true;
  data::TField* field = Field();
  return field && field->CanModify();
}

void TwwDBCustomEdit::PasteText() {
  const QString clip = QGuiApplication::clipboard()->text();
  if (clip.isEmpty() || !PrepareForTyping()) return;
  QString error;
  if (!ScreenTextToTable(TextDataSet(), clip, &error)) {
    toolkit::ui().showMessage(error.toStdString(), QApplication::applicationName().toStdString(),
                              toolkit::MessageKind::kWarning, toolkit::MessageButtons::kOk);
    return;
  }
  if (std::optional<edit::EditMask> mask = ActiveEditMask()) {
    const Selection selection = TableSelection();
    ApplyMaskEdit(mask->Paste(TableText(), selection.start, selection.length,
                              *ScreenTextToTable(TextDataSet(), clip)));
    CheckValue(TableText());
    return;
  }
  BeginChange();
  if (!PictureMaskInUse()) {
    paste();
  } else {
    const int start = hasSelectedText() ? selectionStart() : cursorPosition();
    const int end = start + static_cast<int>(selectedText().size());
    const QString before = text().left(start);
    const QString after = text().mid(end);
    paste();
    // Literals filled in by the match go before the caret: it keeps its
    // distance from the end of the text.
    const int fromEnd = static_cast<int>(text().size()) - cursorPosition();
    std::string matched = MatchPastedText(Picture().PictureMask(), TableText());
    if (PicturePasses(Picture().PictureMask(), matched)) {
      SetTableText(matched);
      setCursorPosition(std::max(0, static_cast<int>(text().size()) - fromEnd));
    } else {
      // A text the whole match refuses (digits without their dash, say) is
      // typed in instead, one character at a time, as the user would.
      TypePasted(before, clip, after);
    }
  }
  setModified(true);
  CheckValue(TableText());
}

void TwwDBCustomEdit::TypePasted(const QString& before, const QString& pasted,
                                 const QString& after) {
  const data::TDataSet* dataSet = TextDataSet();
  PictureTypingState state;
  state.text = ScreenTextToTable(dataSet, before + after).value_or(std::string());
  state.selStart = static_cast<int>(ScreenTextToTable(dataSet, before).value_or("").size());
  for (QChar c : pasted) {
    std::optional<std::string> key = ScreenTextToTable(dataSet, QString(c));
    if (!key || key->empty()) continue;
    PictureKeyResult result =
        TypePictureKey(Picture().PictureMask(), Picture().AutoFill(), state, *key);
    if (result.action == PictureKeyAction::kRefused) continue;
    if (result.action == PictureKeyAction::kConsumed) {
      state.text = result.text;
      state.selStart = result.caret;
    } else {
      state.text.insert(static_cast<size_t>(state.selStart), *key);
      state.selStart += static_cast<int>(key->size());
    }
  }
  SetTableText(state.text);
  setCursorPosition(ScreenPosition(dataSet, state.text, state.selStart));
}

void TwwDBCustomEdit::CutText() {
  if (!hasSelectedText()) return;
  if (!PrepareForTyping()) {
    // A box that cannot change still copies.
    copy();
    return;
  }
  if (std::optional<edit::EditMask> mask = ActiveEditMask()) {
    // The positions cut are left blank; the literals stay.
    copy();
    const Selection selection = TableSelection();
    ApplyMaskEdit(mask->Delete(TableText(), selection.start, selection.length));
    CheckValue(TableText());
    return;
  }
  BeginChange();
  cut();
  setModified(true);
  CheckValue(TableText());
}

void TwwDBCustomEdit::DeleteSelection() {
  if (!hasSelectedText() || !PrepareForTyping()) return;
  if (std::optional<edit::EditMask> mask = ActiveEditMask()) {
    const Selection selection = TableSelection();
    ApplyMaskEdit(mask->Delete(TableText(), selection.start, selection.length));
    return;
  }
  BeginChange();
  del();
  setModified(true);
  CheckValue(TableText());
}

void TwwDBCustomEdit::contextMenuEvent(QContextMenuEvent* event) {
  if (PassingUp(event)) return;
  // The box's own menu: the platform's would leave paste and cut greyed out
  // while the data set browses, and would change the text past the mask.
  QMenu menu(this);
  const bool changeable = CanChangeText();
  const bool selected = hasSelectedText();
  const bool hidden = !MultiLine() && echoMode() != QLineEdit::Normal;
  // Each entry shows the key that does the same from the box.
  auto add = [&](const QString& caption, QKeySequence::StandardKey keys, bool enabled,
                 auto&& chosen) {
    QAction* action = menu.addAction(caption, this, chosen);
    action->setShortcut(keys);
    action->setEnabled(enabled);
  };
  // Undoing could bring back a text of another length than the mask's.
  add(tr("&Undo"), QKeySequence::Undo, changeable && isUndoAvailable() && !ActiveEditMask(),
      [this] {
        if (!PrepareForTyping()) return;
        BeginChange();
        undo();
        CheckValue(TableText());
      });
  menu.addSeparator();
  add(tr("Cu&t"), QKeySequence::Cut, changeable && selected && !hidden, [this] { CutText(); });
  add(tr("&Copy"), QKeySequence::Copy, selected && !hidden, [this] { copy(); });
  add(tr("&Paste"), QKeySequence::Paste,
      changeable && !QGuiApplication::clipboard()->text().isEmpty(), [this] { PasteText(); });
  add(tr("Delete"), QKeySequence::Delete, changeable && selected, [this] { DeleteSelection(); });
  menu.addSeparator();
  add(tr("Select All"), QKeySequence::SelectAll, !text().isEmpty(), [this] { selectAll(); });
  menu.exec(event->globalPos());
  event->accept();
}

}  // namespace edit
