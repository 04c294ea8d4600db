// A one-line edit box bound to one field: shows the field's display text,
// its edit text while focused, puts the data set into edit state at the
// first key that changes the text, and writes the text into the field when
// it is left or the row is posted. Escape on a changed box brings the
// field's value back. The record view's stand-in for the data-aware edit
// box with picture masks until that control is available.
#pragma once

#include <QLineEdit>
#include <string>

#include "recordview/field_editor.h"
#include "recordview/field_link.h"

namespace data {
class TwwDataSource;
}

namespace recordview {

class FieldEdit : public QLineEdit, public FieldEditor {
  Q_OBJECT
 public:
  explicit FieldEdit(QWidget* parent = nullptr);

  data::TwwDataSource* DataSource() const { return link_.DataSource(); }
  void SetDataSource(data::TwwDataSource* source) { link_.SetDataSource(source); }
  const std::string& DataField() const { return link_.FieldName(); }
  void SetDataField(const std::string& name) { link_.SetFieldName(name); }
  data::TField* Field() const { return link_.Field(); }

  bool Modified() const override { return isModified(); }
  void ClearModified() override { setModified(false); }
  void FinishEdit() override;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  void ShowValue();

  FieldDataLink link_;
};

// Whether a key changes an edit box's text (and so needs the row in edit).
bool ChangesText(const QKeyEvent& event);

}  // namespace recordview
