// The link of a control that shows one field: it finds the field by name
// whenever the data set opens or its fields change, and tells the control
// when the value should be shown again, when editing starts or ends, and
// when the control's pending input is to be written into the field.
// Qt-free.
#pragma once

#include <functional>
#include <string>

#include "data/data_link.h"

namespace recordview {

class FieldDataLink : public data::TDataLink {
 public:
  const std::string& FieldName() const { return fieldName_; }
  void SetFieldName(const std::string& name);
  // The field while the link is active; none otherwise.
  data::TField* Field() const { return field_; }
  // The field's value may be changed through this link.
  bool CanModify() const;

  std::function<void()> OnDataChange;
  std::function<void()> OnEditingChange;
  std::function<void()> OnUpdateData;

 protected:
  void ActiveChanged() override;
  void LayoutChanged() override;
  void RecordChanged(data::TField* field) override;
  void EditingChanged() override;
  void UpdateData() override;

 private:
  void UpdateField();

  std::string fieldName_;
  data::TField* field_ = nullptr;
};

}  // namespace recordview
