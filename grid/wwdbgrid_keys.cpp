// How the grid follows the data set and moves it: scrolling pixels after a
// move, the vertical scroll bar, the keyboard, the mouse, and leaving the
// grid.
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <cstdlib>
#include <stdexcept>

#include "data/data_set.h"
#include "data/wwtable.h"
#include "edit/wwdbedit_texts.h"
#include "grid/checkbox_cell.h"
#include "grid/inplace_edit.h"
#include "grid/wwdbgrid.h"
#include "intl/international_strings.h"
#include "toolkit/inplace_editor.h"
#include "toolkit/ui_services.h"

namespace grid {

using data::DataSetState;
using O = TwwDBGridOption;

void TwwCustomDBGrid::Scroll(int distance) {
  if (!link_.Active()) return;
  const int oldRow = row();
  invalidateRow(oldRow);
  SyncCurrentRow();
  UpdateScrollBar();
  invalidateRow(row());
  if (distance != 0) {
    HideEditControls();
    if (std::abs(distance) > visibleRowCount()) {
      update();
    } else {
      const toolkit::Rect client = clientRect();
      const int left = IndicatorOffset() ? colWidth(0) + 1 : 0;
      const int top = TitleOffset() ? rowHeight(0) + 1 : 0;
      scrollPixels(-DataRowStep() * distance,
                   toolkit::Rect{left, top, client.right, client.bottom});
      // The indicator column does not scroll: its old cell and the current
      // row are painted again, not the whole column.
      if (IndicatorOffset()) {
        invalidateCell(0, oldRow);
        invalidateRow(row());
      }
    }
    if (options_.has(O::dgAlwaysShowEditor) && !IsMemoCell(SelectedIndex()) &&
        !IsSpecialCell(SelectedIndex()))
      showEditor();
  }
  // What the move marked is painted now: after a short scroll the uncovered
  // rows and the rows whose look changed, never the whole grid.
  if (isVisible() && !clickRowChange_) paintPendingNow();
  if (distance != 0 && OnTopRowChanged) OnTopRowChanged(*this);
}

void TwwCustomDBGrid::verticalScroll(toolkit::ScrollAction action, int position) {
  if (!showVertScrollBar_ || !link_.Active()) return;
  setFocus();
  data::TDataSet* dataSet = link_.DataSet();
  using toolkit::ScrollAction;
  switch (action) {
    case ScrollAction::kLineUp:
      MoveToPriorRecord();
      break;
    case ScrollAction::kLineDown:
      MoveToNextRecord(false);
      break;
    case ScrollAction::kPageUp:
      MoveBy(-visibleRowCount());
      break;
    case ScrollAction::kPageDown:
      MoveBy(visibleRowCount());
      break;
    case ScrollAction::kTop:
      dataSet->First();
      break;
    case ScrollAction::kBottom:
      dataSet->Last();
      break;
    case ScrollAction::kThumbPosition:
      if (dataSet->IsSequenced()) {
        if (position <= 0) {
          dataSet->First();
        } else if (position >= 200) {
          dataSet->Last();
        } else {
          dataSet->CheckBrowseMode();
          dataSet->SetRecNo(dataSet->RecordCountTotal() * position / 200 + 1);
        }
      } else {
        switch (position) {
          case 0:
            dataSet->First();
            break;
          case 1:
            MoveBy(-visibleRowCount());
            break;
          case 3:
            MoveBy(visibleRowCount());
            break;
          case 4:
            dataSet->Last();
            break;
          default:
            break;
        }
      }
      break;
  }
  // The bar shows where the data set is, not where the thumb was let go.
  scrollPosition_ = -1;
  UpdateScrollBar();
}

void TwwCustomDBGrid::MoveBy(int distance) {
  link_.DataSet()->MoveBy(distance);
}

void TwwCustomDBGrid::MoveToNextRecord(bool mayAppend) {
  data::TDataSet* dataSet = link_.DataSet();
  if (dataSet->State() == DataSetState::kInsert && !dataSet->Modified() && !link_.Modified()) {
    if (dataSet->Eof()) return;
    dataSet->Cancel();
  } else {
    dataSet->Next();
  }
  if (mayAppend && dataSet->Eof() && dataSet->CanModify() && options_.has(O::dgEditing) &&
      KeyOptions.count(TwwDBGridKeyOption::dgAllowInsert) &&
      dataSet->State() != DataSetState::kInsert) {
    hideEditor();
    dataSet->Append();
  }
}

void TwwCustomDBGrid::MoveToPriorRecord() {
  data::TDataSet* dataSet = link_.DataSet();
  if (dataSet->State() == DataSetState::kInsert && !dataSet->Modified() && !link_.Modified() &&
      dataSet->Eof()) {
    dataSet->Cancel();
  } else {
    dataSet->Prior();
  }
}

bool TwwCustomDBGrid::SelectDataColumn(int column) {
  auto* inplace = dynamic_cast<TwwInplaceEdit*>(editor());
  if (inplace && inplace->isVisible() && link_.Modified() &&
      !(inplace->PassesPicture() && inplace->PassesEditMask()) && !inplace->AllowInvalidExit()) {
    inplace->selectAll();
    link_.Modified_();
    auto* table = dynamic_cast<data::TwwTable*>(link_.DataSet());
    if (table && table->OnInvalidValue && SelectedField()) {
      table->OnInvalidValue(*table, *SelectedField());
      return false;
    }
    toolkit::ui().beep();
    throw std::runtime_error(edit::texts::kInvalidInputValue);
  }
  UpdateEditText();
  const int dataColumns = colCount() - IndicatorOffset();
  column = std::clamp(column, 0, dataColumns - 1);
  column = std::max(column, std::min(fixedCols_, dataColumns - 1));
  const int target = column + IndicatorOffset();
  if (target == col()) return false;
  if (OnColExit && !inColExit_) {
    const int before = col();
    inColExit_ = true;
    try {
      OnColExit(*this);
    } catch (...) {
      inColExit_ = false;
      throw;
    }
    inColExit_ = false;
    if (col() != before) return false;
  }
  hideEditor();
  HideEditControls();
  moveCurrent(target, row(), true);
  if (options_.has(O::dgAlwaysShowEditor) && !IsSpecialCell(column) && !IsMemoCell(column))
    showEditor();
  if (OnColEnter) OnColEnter(*this);
  return true;
}

void TwwCustomDBGrid::TabTo(bool forward) {
  const int dataColumns = colCount() - IndicatorOffset();
  const int start = SelectedIndex();
  int column = start;
  bool movedRecord = false;
  for (int steps = 0; steps <= dataColumns + 1; ++steps) {
    if (forward) {
      if (++column >= dataColumns) {
        MoveToNextRecord();
        movedRecord = true;
        column = 0;
      }
    } else {
      if (--column < 0) {
        MoveToPriorRecord();
        movedRecord = true;
        column = dataColumns - 1;
      }
    }
    if (column == start && movedRecord) return;
    if (tabStop(column + IndicatorOffset())) break;
    if (column == start) return;
  }
  SelectDataColumn(column);
}

void TwwCustomDBGrid::Reset() {
  data::TDataSet* dataSet = link_.DataSet();
  if (link_.Modified()) {
    link_.Reset();
    invalidateEditor();
  } else if ((dataSet->State() == DataSetState::kEdit ||
              dataSet->State() == DataSetState::kInsert) &&
             dataSet->Modified()) {
    if (toolkit::ui().showMessage(intl::GlobalIntl().UserMessages().wwDBGridDiscardChanges, "",
                                  toolkit::MessageKind::kConfirmation,
                                  toolkit::MessageButtons::kYesNo) == toolkit::MessageResult::kYes)
      dataSet->Cancel();
  } else {
    dataSet->Cancel();
  }
  if (!options_.has(O::dgAlwaysShowEditor)) {
    hideEditor();
  } else if (auto* inplace = dynamic_cast<TwwInplaceEdit*>(editor()); inplace && OnCheckValue) {
    inplace->CheckValue();
  }
}

void TwwCustomDBGrid::DeleteWithConfirmation() {
  data::TDataSet* dataSet = link_.DataSet();
  if (!KeyOptions.count(TwwDBGridKeyOption::dgAllowDelete) || readOnly_ || !dataSet->CanModify() ||
      !options_.has(O::dgEditing))
    return;
  if (options_.has(O::dgConfirmDelete) &&
      toolkit::ui().showMessage("Delete record?", "", toolkit::MessageKind::kConfirmation,
                                toolkit::MessageButtons::kOkCancel) ==
          toolkit::MessageResult::kCancel)
    return;
  // A deleted record's mark would name no record, or later another one.
  BeforeDeleteRecord();
  dataSet->Delete();
  hideEditor();
}

bool TwwCustomDBGrid::ToggleCheckBox() {
  data::TField* field = SelectedField();
  if (!field) return false;
  const std::optional<CheckBoxValues> values = CheckBoxFor(link_.DataSet(), *field);
  if (!values) return false;
  if (!Editable() || !canEditModify()) return true;
  field->SetText(IsChecked(*values, field->AsString()) ? values->unchecked : values->checked);
  // The box wrote the field itself: no editor text is pending.
  link_.ClearModified();
  invalidateCell(col(), row());
  return true;
}

void TwwCustomDBGrid::KeyDown(QKeyEvent& event) {
  if (OnKeyDown) OnKeyDown(*this, event);
  if (event.key() == 0 || !link_.Active()) return;
  data::TDataSet* dataSet = link_.DataSet();
  const Qt::KeyboardModifiers mods = event.modifiers();
  const bool shift = mods & Qt::ShiftModifier;
  event.accept();
  if (options_.has(O::dgMultiSelect) && MultiSelectKey(event)) return;
  if (event.key() == Qt::Key_Down && (mods & Qt::AltModifier) && DropComboList()) return;
  if (mods & Qt::ControlModifier) {
    switch (event.key()) {
      case Qt::Key_Up:
      case Qt::Key_PageUp:
        MoveBy(-link_.ActiveRecord());
        return;
      case Qt::Key_Down:
      case Qt::Key_PageDown:
        MoveBy(link_.BufferCount() - link_.ActiveRecord() - 1);
        return;
      case Qt::Key_Home:
        dataSet->First();
        return;
      case Qt::Key_End:
        dataSet->Last();
        return;
      case Qt::Key_Left:
        SelectDataColumn(0);
        return;
      case Qt::Key_Right:
        SelectDataColumn(colCount() - IndicatorOffset() - 1);
        return;
      case Qt::Key_Delete:
        DeleteWithConfirmation();
        return;
      default:
        event.ignore();
        return;
    }
  }
  const bool rowSelect = options_.has(O::dgRowSelect);
  const bool enterToTab = KeyOptions.count(TwwDBGridKeyOption::dgEnterToTab) > 0;
  switch (event.key()) {
    case Qt::Key_Tab:
      if (!(mods & Qt::AltModifier)) TabTo(!shift);
      return;
    case Qt::Key_Backtab:
      if (!(mods & Qt::AltModifier)) TabTo(false);
      return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (enterToTab) {
        TabTo(!shift);
        return;
      }
      break;
    case Qt::Key_Escape:
      Reset();
      return;
    case Qt::Key_PageUp:
      MoveBy(-visibleRowCount());
      return;
    case Qt::Key_PageDown:
      MoveBy(visibleRowCount());
      return;
    case Qt::Key_Home:
      if (rowSelect || dataSet->FieldCount() == 1)
        dataSet->First();
      else
        SelectDataColumn(0);
      return;
    case Qt::Key_End:
      if (rowSelect || dataSet->FieldCount() == 1)
        dataSet->Last();
      else
        SelectDataColumn(colCount() - IndicatorOffset() - 1);
      return;
    case Qt::Key_Left:
      if (rowSelect)
        MoveToPriorRecord();
      else
        SelectDataColumn(SelectedIndex() - 1);
      return;
    case Qt::Key_Right:
      if (rowSelect)
        MoveToNextRecord();
      else
        SelectDataColumn(SelectedIndex() + 1);
      return;
    case Qt::Key_Up:
      MoveToPriorRecord();
      return;
    case Qt::Key_Down:
      MoveToNextRecord();
      return;
    case Qt::Key_Insert:
      if (!readOnly_ && options_.has(O::dgEditing) &&
          KeyOptions.count(TwwDBGridKeyOption::dgAllowInsert)) {
        hideEditor();
        dataSet->Insert();
      }
      return;
    case Qt::Key_Space:
      if (ToggleCheckBox()) return;
      break;
    case Qt::Key_F2:
      if (data::TField* field = SelectedField();
          field && !field->IsBlob() && !IsSpecialCell(SelectedIndex())) {
        // F2 is for changing the text, not replacing it: the caret goes to its end.
        showEditor();
        if (editor() && editor()->isVisible()) editor()->end(false);
        return;
      }
      if (ShowEditControl()) return;
      break;
    default:
      break;
  }
  event.ignore();
}

void TwwCustomDBGrid::keyPressEvent(QKeyEvent* event) {
  KeyDown(*event);
  AfterKeyDown(*event);
  if (event->isAccepted() || !link_.Active()) return;
  const int key = event->key();
  if (key == Qt::Key_Return || key == Qt::Key_Enter) {
    // Enter opens a cell's own edit control, and closes it again.
    if (EditingInControl()) {
      HideEditControls();
      return;
    }
    if (ShowEditControl()) return;
    if (!options_.has(O::dgAlwaysShowEditor)) UpdateEditText();
    baseKeyPress(event);
    return;
  }
  // Typed characters on blob cells go nowhere.
  if (IsMemoCell(SelectedIndex())) return;
  const QString typed = event->text();
  if (!typed.isEmpty() && typed.at(0).isPrint() && !(event->modifiers() & Qt::ControlModifier) &&
      ShowEditControl()) {
    // The character starts the control's text, as it starts the editor's.
    QKeyEvent copy(event->type(), event->key(), event->modifiers(), typed);
    QApplication::sendEvent(QApplication::focusWidget(), &copy);
    return;
  }
  baseKeyPress(event);
}

void TwwCustomDBGrid::mousePressEvent(QMouseEvent* event) {
  if (!(focusPolicy() & Qt::ClickFocus)) return;
  setFocus(Qt::MouseFocusReason);
  // The window's focus widget, not hasFocus(): while the window is not the
  // active one (a click that is about to activate it) the grid holds the
  // window's focus without having the application's.
  const QWidget* focused = window()->focusWidget();
  if (focused != this && !(editor() && focused == editor())) return;
  const QPoint p = event->position().toPoint();
  const toolkit::Point point{p.x(), p.y()};
  if (sizingColumnAt(point) >= 0) {
    UpdateEditText();
    toolkit::CellGrid::mousePressEvent(event);
    return;
  }
  int c = 0;
  int r = 0;
  if (!cellAt(point, &c, &r)) return;
  if (r < TitleOffset()) {
    if (titleButtons_ && event->button() == Qt::LeftButton && c >= IndicatorOffset()) {
      pressedTitleCol_ = c;
      invalidateCell(c, r);
    } else if (!titleButtons_) {
      toolkit::CellGrid::mousePressEvent(event);
    }
  } else if (link_.Active() && event->button() == Qt::LeftButton) {
    const int column = c - IndicatorOffset();
    const bool multiSelect = options_.has(O::dgMultiSelect);
    const data::Bookmark from = multiSelect ? link_.DataSet()->GetBookmark() : data::Bookmark();
    const bool marking =
        multiSelect && (event->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier));
    if (c == col() && r == row()) {
      // A check box toggles under a click once its cell is the current one.
      if (!marking && !ToggleCheckBox() && !ShowEditControl() && !IsSpecialCell(column) &&
          !IsMemoCell(column))
        showEditor();
    } else {
      if (r != row()) clickRowChange_ = true;
      try {
        if (c >= fixedCols_ + IndicatorOffset()) SelectDataColumn(column);
        MoveBy(r - row());
      } catch (...) {
        clickRowChange_ = false;
        throw;
      }
      clickRowChange_ = false;
      if (EditControlOptions.count(TwwEditControlOption::ecoCheckboxSingleClick) && c == col() &&
          r == row())
        ToggleCheckBox();
      update();
    }
    if (multiSelect) MultiSelectClick(event->modifiers(), from);
  }
  if (OnMouseDown) OnMouseDown(*this);
}

void TwwCustomDBGrid::mouseReleaseEvent(QMouseEvent* event) {
  if (pressedTitleCol_ >= 0) {
    const int pressed = pressedTitleCol_;
    pressedTitleCol_ = -1;
    update();
    int c = 0;
    int r = 0;
    const QPoint p = event->position().toPoint();
    if (cellAt({p.x(), p.y()}, &c, &r) && c == pressed && r < TitleOffset() && OnTitleButtonClick) {
      if (data::TField* field = link_.Field(c - IndicatorOffset()))
        OnTitleButtonClick(*this, field->FieldName());
    }
    return;
  }
  toolkit::CellGrid::mouseReleaseEvent(event);
}

void TwwCustomDBGrid::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  int c = 0;
  int r = 0;
  const QPoint p = event->position().toPoint();
  const bool onCell = cellAt({p.x(), p.y()}, &c, &r);
  const bool memo = onCell && r >= TitleOffset() && link_.Active() &&
                    c - IndicatorOffset() == SelectedIndex() && IsMemoCell(SelectedIndex());
  if (OnDblClick && !memo) OnDblClick(*this);
  if (memo) OpenMemoDialog();
}

void TwwCustomDBGrid::focusOutEvent(QFocusEvent* event) {
  toolkit::CellGrid::focusOutEvent(event);
  // The editor taking the focus is not leaving the grid.
  if ((editor() && editor()->hasFocus()) || EditingInControl()) return;
  LeavingGrid();
}

void TwwCustomDBGrid::LeavingGrid() {
  if (!link_.Active()) return;
  data::TDataSet* dataSet = link_.DataSet();
  if (options_.has(O::dgCancelOnExit) && dataSet->State() == DataSetState::kInsert &&
      !dataSet->Modified() && !link_.Modified()) {
    dataSet->Cancel();
    return;
  }
  try {
    UpdateEditText();
  } catch (...) {
    setFocus();
    throw;
  }
}

}  // namespace grid

namespace grid {

// The grid moves its current cell itself (SelectDataColumn, the data set's
// moves); the base grid's own choice is always allowed.
bool TwwCustomDBGrid::selectCell(int, int) {
  return true;
}

}  // namespace grid
