#include <stdexcept>

#include "data/data_set.h"
#include "grid/wwdbgrid.h"

namespace grid {

namespace {
// The field map's limit: beyond it the grid refuses to lay out.
constexpr int kMaxMappedColumns = 16379;
}  // namespace

data::TField* TwwGridDataLink::Field(int column) const {
  if (column < 0 || column >= MappedCount() || !DataSet()) return nullptr;
  const int index = fieldMap_[static_cast<size_t>(column)];
  if (index < 0 || index >= DataSet()->FieldCount()) return nullptr;
  return DataSet()->Fields(index);
}

void TwwGridDataLink::AddMapping(int fieldIndex) {
  if (MappedCount() >= kMaxMappedColumns)
    throw std::runtime_error("Grid requested to display more than 256 columns");
  if (MappedCount() == mapCapacity_) {
    mapCapacity_ = mapCapacity_ == 0 ? 8 : mapCapacity_ * 2;
    fieldMap_.reserve(static_cast<size_t>(mapCapacity_));
  }
  fieldMap_.push_back(fieldIndex);
}

void TwwGridDataLink::Reset() {
  if (modified_)
    RecordChanged(nullptr);
  else if (DataSet())
    DataSet()->Cancel();
}

void TwwGridDataLink::ActiveChanged() {
  grid_->LinkActive();
  modified_ = false;
}

void TwwGridDataLink::DataSetChanged() {
  grid_->DataChanged();
  modified_ = false;
}

void TwwGridDataLink::DataSetScrolled(int distance) {
  grid_->Scroll(distance);
}

void TwwGridDataLink::LayoutChanged() {
  grid_->LayoutChanged();
}

void TwwGridDataLink::EditingChanged() {
  grid_->EditingChanged();
}

void TwwGridDataLink::RecordChanged(data::TField* field) {
  if (updating_) return;
  grid_->RecordChanged(field);
  modified_ = false;
}

void TwwGridDataLink::UpdateData() {
  if (!modified_) return;
  updating_ = true;
  try {
    grid_->UpdateData();
  } catch (...) {
    updating_ = false;
    throw;
  }
  updating_ = false;
  modified_ = false;
}

void TwwGridDataLink::FocusControl(data::TField* field) {
  for (int c = 0; c < MappedCount(); ++c) {
    if (Field(c) == field) {
      grid_->SelectDataColumn(c);
      grid_->setFocus();
      return;
    }
  }
}

}  // namespace grid
