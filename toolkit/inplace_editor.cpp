#include "inplace_editor.h"

#include <QKeyEvent>

#include "toolkit/cell_grid.h"

namespace toolkit {

InplaceEditor::InplaceEditor(CellGrid* grid) : QLineEdit(grid), grid_(grid) {
  setFrame(false);
  hide();
  connect(this, &QLineEdit::textEdited, this,
          [this](const QString& text) { grid_->setEditText(grid_->col(), grid_->row(), text); });
}

void InplaceEditor::loadText(const QString& text) {
  setText(text);
  selectAll();
}

bool InplaceEditor::keyBelongsToGrid(const QKeyEvent& event) const {
  const bool ctrl = event.modifiers() & Qt::ControlModifier;
  switch (event.key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_F2:
      return true;
    case Qt::Key_Left:
      return ctrl || (!hasSelectedText() && cursorPosition() == 0);
    case Qt::Key_Right:
      return ctrl || (!hasSelectedText() && cursorPosition() == text().size());
    case Qt::Key_Home:
    case Qt::Key_End:
      return ctrl || selectedText() == text();
    case Qt::Key_Delete:
      return ctrl;
    default:
      return false;
  }
}

void InplaceEditor::keyPressEvent(QKeyEvent* event) {
  if (keyBelongsToGrid(*event)) {
    passToGrid(event);
    return;
  }
  QLineEdit::keyPressEvent(event);
}

void InplaceEditor::passToGrid(QKeyEvent* event) {
  grid_->keyPressEvent(event);
}

}  // namespace toolkit
