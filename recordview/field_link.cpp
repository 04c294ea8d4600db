#include "recordview/field_link.h"

#include "data/data_set.h"
#include "data/field.h"

namespace recordview {

void FieldDataLink::SetFieldName(const std::string& name) {
  fieldName_ = name;
  UpdateField();
}

bool FieldDataLink::CanModify() const {
  return !ReadOnly() && field_ && field_->CanModify() && !field_->Calculated();
}

void FieldDataLink::UpdateField() {
  data::TField* field = nullptr;
  if (Active() && !fieldName_.empty()) field = DataSet()->FindField(fieldName_);
  field_ = field;
  if (OnDataChange) OnDataChange();
}

void FieldDataLink::ActiveChanged() {
  UpdateField();
}

void FieldDataLink::LayoutChanged() {
  UpdateField();
}

// Only a change of this field, or of the whole row, is shown again.
void FieldDataLink::RecordChanged(data::TField* field) {
  if ((field == nullptr || field == field_) && OnDataChange) OnDataChange();
}

void FieldDataLink::EditingChanged() {
  if (OnEditingChange) OnEditingChange();
}

void FieldDataLink::UpdateData() {
  if (OnUpdateData) OnUpdateData();
}

}  // namespace recordview
