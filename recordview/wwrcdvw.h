// The record view dialog: on Execute it builds a window that shows the
// current row of its data source as a form, one label and one data-aware
// control per field, with a navigator bar above and OK and Cancel below.
// The user edits the row in place; OK posts it, Cancel, Escape or the close
// box cancel it, asking first when something was changed.
//
// The component lives as long as its owner; the window only from Execute
// until it closes (a modal one is destroyed by Execute, a non-modal one
// destroys itself). Borrowed controls of the owner's form, named by the
// table's ControlType list, are given back hidden when the window closes.
#pragma once

#include <QObject>
#include <QPointer>
#include <QRect>
#include <functional>
#include <string>
#include <vector>

#include "app/navigator.h"
#include "recordview/record_view_form.h"
#include "recordview/record_view_settings.h"
#include "toolkit/color.h"
#include "toolkit/font_spec.h"

#include <QMenuBar>

namespace data {
class TField;
class TwwDataSource;
}  // namespace data

namespace recordview {

class TwwRecordViewDialog : public QObject {
  Q_OBJECT
 public:
  // owner: the form whose controls the ControlType list may borrow.
  explicit TwwRecordViewDialog(QWidget* owner = nullptr);
  ~TwwRecordViewDialog() override;

  data::TwwDataSource* DataSource() const { return dataSource_; }
  void SetDataSource(data::TwwDataSource* source);
  TwwEditSpacing EditSpacing;
  TwwMargin Margin;
  TFormBorderStyle BorderStyle = TFormBorderStyle::bsSizeable;
  TwwFormPosition FormPosition;
  app::TDBNavigator::ButtonSet NavigatorVisibleButtons;
  TwwRecordViewStyle Style = TwwRecordViewStyle::rvsVertical;
  TwwRecordViewOptions Options = DefaultRecordViewOptions();
  TwwRecordViewOKCancelOptions OKCancelOptions = DefaultOKCancelOptions();
  toolkit::FontSpec LabelFont = toolkit::defaultFont();
  toolkit::FontSpec Font = toolkit::defaultFont();
  std::string Caption = "Record View";
  // The desktop's inactive caption text colour.
  toolkit::Color ReadOnlyColor = toolkit::clGrayText;
  QMenuBar* Menu() const { return menu_; }
  void SetMenu(QMenuBar* menu) { menu_ = menu; }
  // Entries "name<TAB>display width<TAB>label" choose and order the fields;
  // empty: every field in the data set's order.
  std::vector<std::string> Selected;
  bool NavigatorFlat = false;

  std::function<void(TwwRecordViewForm& form, data::TField& field, bool& accept)>
      OnBeforeCreateControl;
  std::function<void(TwwRecordViewForm& form, data::TField& field, QWidget& control)>
      OnAfterCreateControl;
  std::function<void(TwwRecordViewForm& form)> OnInitDialog;
  std::function<void(TwwRecordViewForm& form)> OnCloseDialog;
  std::function<void(TwwRecordViewForm& form, bool& canClose)> OnCancelWarning;

  // Builds and shows the window. Modal: true when it was closed with OK.
  // Not modal: true once shown; false when a window of an earlier call is
  // still open (it comes to the front).
  bool Execute();

  // The open window; none when closed.
  TwwRecordViewForm* Form() const { return form_; }
  QWidget* Owner() const { return owner_; }
  bool Has(TwwRecordViewOption option) const { return Options.count(option) != 0; }
  bool Has(TwwRecordViewOKCancelOption option) const { return OKCancelOptions.count(option) != 0; }

 private:
  friend class TwwRecordViewForm;
  void FormClosed(TwwRecordViewForm* form);

  QWidget* owner_;
  data::TwwDataSource* dataSource_ = nullptr;
  QPointer<QMenuBar> menu_;
  QPointer<TwwRecordViewForm> form_;
};

}  // namespace recordview
