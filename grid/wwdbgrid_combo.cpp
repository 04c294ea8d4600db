// Combo cells (and the keys of custom edit cells): Alt+Down on a field that the ControlType list
// gives a combo box drops that box's list over the cell, and the item chosen is written into the
// field as an edit.
#include <QAbstractItemView>
#include <QEvent>
#include <QKeyEvent>

#include "data/data_set.h"
#include "grid/cell_text.h"
#include "grid/control_type.h"
#include "grid/wwdbgrid.h"
#include "toolkit/inplace_editor.h"

namespace grid {

QComboBox* TwwDBGrid::ComboFor(const data::TField& field) const {
  const std::optional<std::vector<std::string>> entry =
      ControlTypeEntry(const_cast<TwwDBGrid*>(this)->DataLink().DataSet(), field, "Combo");
  if (!entry || entry->size() < 3) return nullptr;
  const QString name = QString::fromStdString((*entry)[2]);
  QWidget* owner = EditControlOptions.count(TwwEditControlOption::ecoSearchOwnerForm)
                       ? window()
                       : parentWidget();
  if (!owner || owner == this) return nullptr;
  auto* combo = owner->findChild<QComboBox*>(name);
  // It is placed in its own parent's coordinates, which must hold the grid.
  if (!combo || !combo->parentWidget() || !combo->parentWidget()->isAncestorOf(this))
    return nullptr;
  return combo;
}

bool TwwDBGrid::DropComboList() {
  data::TField* field = SelectedField();
  QComboBox* combo = field ? ComboFor(*field) : nullptr;
  if (!combo) return false;
  if (!Editable()) return true;
  hideEditor();
  const toolkit::Rect cell = cellRect(col(), row());
  const QPoint topLeft = mapTo(combo->parentWidget(), QPoint(cell.left, cell.top));
  comboWasVisible_ = combo->isVisible();
  combo->setGeometry(QRect(topLeft, QSize(cell.width(), cell.height())));
  const QString text = FieldEditText();
  const int index = combo->findText(text);
  if (index >= 0)
    combo->setCurrentIndex(index);
  else if (combo->isEditable())
    combo->setEditText(text);
  combo->raise();
  combo->show();
  droppedCombo_ = combo;
  connect(combo, &QComboBox::activated, this, &TwwDBGrid::ComboChosen, Qt::UniqueConnection);
  combo->view()->installEventFilter(this);
  combo->showPopup();
  return true;
}

void TwwDBGrid::ComboChosen(int index) {
  QComboBox* combo = droppedCombo_;
  if (!combo) return;
  data::TField* field = SelectedField();
  const QString chosen = combo->itemText(index);
  ComboClosed();
  if (!field || !CanEditModifyNow()) return;
  std::string text;
  QString error;
  if (!tableText(DataLink().DataSet(), chosen, &text, &error))
    throw std::runtime_error(error.toStdString());
  field->SetText(text);
  // The field was written here: no editor text is pending.
  DataLink().ClearModified();
  invalidateCell(col(), row());
}

void TwwDBGrid::ComboClosed() {
  QComboBox* combo = droppedCombo_;
  droppedCombo_ = nullptr;
  if (!combo) return;
  combo->view()->removeEventFilter(this);
  disconnect(combo, &QComboBox::activated, this, &TwwDBGrid::ComboChosen);
  if (!comboWasVisible_) combo->hide();
  // The closing list hands the focus back to whoever had it before; the grid
  // takes it once that is done.
  QMetaObject::invokeMethod(
      this, [this] { setFocus(); }, Qt::QueuedConnection);
}

bool TwwDBGrid::eventFilter(QObject* watched, QEvent* event) {
  // Keys that move between cells move the grid from a custom edit control.
  if (shownControl_ && watched == shownControl_ && event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (toolkit::InplaceEditor::movesToAnotherCell(key->key()) || key->key() == Qt::Key_Return ||
        key->key() == Qt::Key_Enter) {
      keyPressEvent(key);
      return true;
    }
  }
  // The list closed without a choice (Esc, a click elsewhere).
  if (droppedCombo_ && watched == droppedCombo_->view() && event->type() == QEvent::Hide)
    QMetaObject::invokeMethod(
        this, [this] { ComboClosed(); }, Qt::QueuedConnection);
  return TwwCustomDBGrid::eventFilter(watched, event);
}

}  // namespace grid
