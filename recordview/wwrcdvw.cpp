#include "recordview/wwrcdvw.h"

#include <memory>

#include "data/data_set.h"
#include "data/data_source.h"
#include "recordview/record_view_builder.h"
#include "recordview/record_view_form.h"
#include "toolkit/ui_services.h"

namespace recordview {

namespace {

void Warn(const std::string& text) {
  toolkit::ui().showMessage(text, "Warning", toolkit::MessageKind::kWarning,
                            toolkit::MessageButtons::kOk);
}

}  // namespace

TwwRecordViewDialog::TwwRecordViewDialog(QWidget* owner) : QObject(owner), owner_(owner) {
  NavigatorVisibleButtons.fill(true);
}

// An open window goes with the dialog.
TwwRecordViewDialog::~TwwRecordViewDialog() {
  delete form_.data();
}

void TwwRecordViewDialog::SetDataSource(data::TwwDataSource* source) {
  dataSource_ = source;
}

bool TwwRecordViewDialog::Execute() {
  if (!dataSource_ || !dataSource_->DataSet()) {
    Warn("DataSource or DataSource.DataSet not defined.");
    return false;
  }
  if (!dataSource_->DataSet()->Active()) {
    Warn("DataSet must be active.");
    return false;
  }
  if (form_) {
    form_->SetCloseReason(TwwCloseReason::crOther);
    form_->show();
    form_->raise();
    form_->activateWindow();
    return false;
  }

  // The window belongs to the application, not to the owner's form.
  auto form = std::make_unique<TwwRecordViewForm>(this);
  form_ = form.get();
  BuildRecordView(*this, *form);
  if (Has(rvoModalForm)) {
    form->setModal(true);
    form->exec();
    const bool ok = form->ModalResult() == mrOK;
    form.reset();
    return ok;
  }
  form->setModal(false);
  form->show();
  form.release();  // destroys itself on closing
  return true;
}

void TwwRecordViewDialog::FormClosed(TwwRecordViewForm* form) {
  if (form_ == form) form_ = nullptr;
}

}  // namespace recordview
