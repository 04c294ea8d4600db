// Labels of the record view. TwwLabel marks with a dotted grey outline that
// its control has the keyboard focus (a check box shows no caption of its
// own, so its label carries the mark). TwwDBCheckBox is a check box bound to
// a field through a checked and an unchecked value; it repaints its label as
// it gains or loses the focus.
#pragma once

#include <QCheckBox>
#include <QLabel>
#include <string>

#include "recordview/field_link.h"

namespace data {
class TwwDataSource;
}

namespace recordview {

class TwwLabel : public QLabel {
  Q_OBJECT
 public:
  explicit TwwLabel(QWidget* parent = nullptr) : QLabel(parent) {}
  // The control whose focus the label shows (its buddy).
  QWidget* FocusControl() const { return buddy(); }
  // Whether the mark is drawn now.
  bool ShowsFocusMark() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
};

class TwwDBCheckBox : public QCheckBox {
  Q_OBJECT
 public:
  explicit TwwDBCheckBox(QWidget* parent = nullptr);

  data::TwwDataSource* DataSource() const { return link_.DataSource(); }
  void SetDataSource(data::TwwDataSource* source) { link_.SetDataSource(source); }
  const std::string& DataField() const { return link_.FieldName(); }
  void SetDataField(const std::string& name) { link_.SetFieldName(name); }
  // The field's texts for the two states; compared without regard to case.
  std::string ValueChecked = "True";
  std::string ValueUnchecked = "False";
  void SetValues(const std::string& checked, const std::string& unchecked);
  QLabel* Label() const { return label_; }
  void SetLabel(QLabel* label) { label_ = label; }

 protected:
  void nextCheckState() override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  void ShowValue();

  FieldDataLink link_;
  QLabel* label_ = nullptr;
};

}  // namespace recordview
