// Custom edit cells: a data-aware edit box on the form, bound to the grid's
// data source and the cell's field, edits the cell in place of the grid's
// own editor. It is put over the cell by F2, Enter, a typed character or a
// click on the current cell, and hidden when the cell changes.
#include <QKeyEvent>

#include "edit/wwdbedit.h"
#include "grid/control_type.h"
#include "grid/wwdbgrid.h"

namespace grid {

QWidget* TwwDBGrid::OwnerForm() const {
  QWidget* owner = EditControlOptions.count(TwwEditControlOption::ecoSearchOwnerForm)
                       ? window()
                       : parentWidget();
  return owner == this ? nullptr : owner;
}

edit::TwwDBCustomEdit* TwwDBGrid::CustomEditFor(const data::TField& field) const {
  const std::optional<std::vector<std::string>> entry =
      ControlTypeEntry(const_cast<TwwDBGrid*>(this)->DataLink().DataSet(), field, "CustomEdit");
  QWidget* owner = OwnerForm();
  if (!entry || entry->size() < 3 || !owner) return nullptr;
  auto* control = owner->findChild<edit::TwwDBCustomEdit*>(QString::fromStdString((*entry)[2]));
  // Only a control bound to this very field may edit it, and it is placed in
  // its own parent's coordinates, which must hold the grid.
  if (!control || control->DataSource() != DataSource() ||
      control->DataField() != field.FieldName() || !control->parentWidget() ||
      !control->parentWidget()->isAncestorOf(this))
    return nullptr;
  return control;
}

bool TwwDBGrid::ShowEditControl() {
  if (shownControl_) return true;
  data::TField* field = SelectedField();
  edit::TwwDBCustomEdit* control = field ? CustomEditFor(*field) : nullptr;
  if (!control) return false;
  hideEditor();
  const toolkit::Rect cell = cellRect(col(), row());
  controlWasVisible_ = control->isVisible();
  control->setGeometry(QRect(mapTo(control->parentWidget(), QPoint(cell.left, cell.top)),
                             QSize(cell.width(), cell.height())));
  shownControl_ = control;
  control->installEventFilter(this);
  control->raise();
  control->show();
  control->setFocus();
  return true;
}

void TwwDBGrid::HideEditControls() {
  QWidget* control = shownControl_;
  if (!control) return;
  control->removeEventFilter(this);
  // The grid takes the focus first: the control's exit writes its text into
  // the field, and the focus never passes through another control.
  if (control->hasFocus()) setFocus();
  shownControl_ = nullptr;
  if (!controlWasVisible_) control->hide();
}

}  // namespace grid
