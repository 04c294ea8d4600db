// A multi-line edit box bound to a memo field: the memo's text, the row put
// into edit state at the first key that changes it, the text written into
// the field when it is left or the row is posted. Tab moves on; Enter breaks
// the line unless the box is told not to take it. F2 asks for the memo
// dialog (OnMemoDialog).
#pragma once

#include <QPlainTextEdit>
#include <functional>
#include <string>

#include "recordview/field_editor.h"
#include "recordview/field_link.h"
#include "toolkit/font_spec.h"

namespace data {
class TwwDataSource;
}

namespace recordview {

class FieldMemo : public QPlainTextEdit, public FieldEditor {
  Q_OBJECT
 public:
  explicit FieldMemo(QWidget* parent = nullptr);

  data::TwwDataSource* DataSource() const { return link_.DataSource(); }
  void SetDataSource(data::TwwDataSource* source) { link_.SetDataSource(source); }
  const std::string& DataField() const { return link_.FieldName(); }
  void SetDataField(const std::string& name) { link_.SetFieldName(name); }
  data::TField* Field() const { return link_.Field(); }

  bool WantReturns() const override { return acceptsReturns_; }
  void SetWantReturns(bool want) { acceptsReturns_ = want; }
  bool Modified() const override { return modified_; }
  void ClearModified() override { modified_ = false; }
  void FinishEdit() override;

  std::function<void(FieldMemo&)> OnMemoDialog;
  // The font the memo dialog opens in.
  toolkit::FontSpec Font = toolkit::defaultFont();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  void ShowValue();

  FieldDataLink link_;
  bool acceptsReturns_ = true;
  bool modified_ = false;
  bool showing_ = false;
};

}  // namespace recordview
