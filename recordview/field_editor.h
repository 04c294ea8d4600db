// What the record view asks of each control in its edit list: whether the
// user changed it, to forget that, to write the pending text into its field
// now, and whether it keeps Enter or Tab for itself.
#pragma once

namespace recordview {

class FieldEditor {
 public:
  virtual ~FieldEditor() = default;
  virtual bool Modified() const = 0;
  virtual void ClearModified() = 0;
  // As when the focus leaves the control: a changed text goes into the field.
  virtual void FinishEdit() = 0;
  virtual bool WantReturns() const { return false; }
  virtual bool WantTabs() const { return false; }
};

}  // namespace recordview
