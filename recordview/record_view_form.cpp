#include "recordview/record_view_form.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QScrollArea>
#include <QWindow>

#include "app/navigator.h"
#include "data/data_set.h"
#include "data/data_source.h"
#include "intl/international_strings.h"
#include "recordview/field_editor.h"
#include "recordview/wwrcdvw.h"
#include "toolkit/bevel_panel.h"
#include "toolkit/glyph_button.h"
#include "toolkit/ui_services.h"

namespace recordview {

TwwRecordViewForm::TwwRecordViewForm(TwwRecordViewDialog* dialog) : dialog_(dialog) {
  setObjectName("wwRecordViewForm");
  setWindowTitle("wwRecordViewForm");
  setGeometry(413, 259, 454, 480);
  // The window sees every key before its controls do.
  qApp->installEventFilter(this);
}

TwwRecordViewForm::~TwwRecordViewForm() {
  qApp->removeEventFilter(this);
  GiveBackBorrowed();
  DetachMenu();
}

void TwwRecordViewForm::AddToEditList(QWidget* control, FieldEditor* editor) {
  editList_.push_back(EditEntry{control, editor});
}

FieldEditor* TwwRecordViewForm::KeepEditor(std::unique_ptr<FieldEditor> editor) {
  adapters_.push_back(std::move(editor));
  return adapters_.back().get();
}

bool TwwRecordViewForm::AnyModified() const {
  for (const EditEntry& entry : editList_) {
    if (entry.editor && entry.editor->Modified()) return true;
  }
  return false;
}

FieldEditor* TwwRecordViewForm::EditorOf(QWidget* control) const {
  for (const EditEntry& entry : editList_) {
    // The focus may sit in a box inside the control (a multi-line edit box).
    if (entry.control == control || (entry.control && entry.control->isAncestorOf(control)))
      return entry.editor;
  }
  return nullptr;
}

void TwwRecordViewForm::Borrow(QWidget* control) {
  borrowed_.push_back(
      Borrowed{control, control->parentWidget(), control->geometry(), control->isVisible()});
}

// Borrowed controls go home hidden, with the bounds they had.
void TwwRecordViewForm::GiveBackBorrowed() {
  for (Borrowed& borrowed : borrowed_) {
    // A control whose form has gone goes with this window.
    if (!borrowed.control || !borrowed.parent) continue;
    borrowed.control->hide();
    borrowed.control->setParent(borrowed.parent);
    borrowed.control->setGeometry(borrowed.bounds);
    if (auto* line = qobject_cast<QLineEdit*>(borrowed.control.data())) {
      line->setFrame(false);
    } else if (auto* frame = qobject_cast<QFrame*>(borrowed.control.data())) {
      frame->setFrameStyle(QFrame::NoFrame);
    }
  }
  borrowed_.clear();
}

void TwwRecordViewForm::SetLayout(const LayoutSettings& settings, const LayoutMetrics& metrics,
                                  const LayoutResult& layout) {
  settings_ = settings;
  metrics_ = metrics;
  layout_ = layout;
}

int TwwRecordViewForm::OuterWidth() const {
  return width() + metrics_.nonClientWidth;
}
int TwwRecordViewForm::OuterHeight() const {
  return height() + metrics_.nonClientHeight;
}

void TwwRecordViewForm::SetOuterGeometry(int left, int top, int width, int height) {
  resize(std::max(width - metrics_.nonClientWidth, 1),
         std::max(height - metrics_.nonClientHeight, 1));
  move(left, top);
  AlignPanels();
}

void TwwRecordViewForm::AttachMenu(QMenuBar* menu) {
  menuParent_ = menu->parentWidget();
  menu_ = menu;
  menu->setParent(this);
  menu->setGeometry(0, 0, width(), menu->sizeHint().height());
  menu->show();
  AlignPanels();
}

void TwwRecordViewForm::DetachMenu() {
  if (!menu_) return;
  menu_->hide();
  menu_->setParent(menuParent_);
  menu_ = nullptr;
}

void TwwRecordViewForm::AlignPanels() {
  int top = 0;
  if (menu_) {
    menu_->setGeometry(0, 0, width(), menu_->height());
    top = menu_->height();
  }
  int bottom = height();
  if (NavigatorPanel) {
    NavigatorPanel->setGeometry(0, top, width(), NavigatorPanel->height());
    top += NavigatorPanel->height();
  }
  if (UserPanel) {
    bottom -= UserPanel->height();
    UserPanel->setGeometry(0, bottom, width(), UserPanel->height());
  }
  if (RecordPanel) {
    RecordPanel->setGeometry(0, top, width(), std::max(bottom - top, 0));
    if (ScrollBox) ScrollBox->setGeometry(RecordPanel->clientArea());
  }
}

void TwwRecordViewForm::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  AlignPanels();
  if (resizeAttached_) ApplyResizeHandler();
}

void TwwRecordViewForm::ApplyResizeHandler() {
  ResizeResult resized =
      ResizeRecordView(settings_, metrics_, layout_, OuterWidth(), OuterHeight());
  if (resized.resizeControls) {
    for (const EditEntry& entry : editList_)
      entry.control->resize(resized.controlWidth, entry.control->height());
  }
  if (resized.placeButtons && OKButton && CancelButton) {
    OKButton->move(resized.buttons.okLeft, OKButton->y());
    CancelButton->move(resized.buttons.cancelLeft, CancelButton->y());
  }
}

void TwwRecordViewForm::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (shownOnce_) return;
  shownOnce_ = true;
  if (dialog_->OnInitDialog) dialog_->OnInitDialog(*this);
  toolkit::ui().setCursor(toolkit::CursorShape::kArrow);
}

// Stay on top: while another window is active this one floats above it
// without taking the focus; active again, it stacks normally.
void TwwRecordViewForm::changeEvent(QEvent* event) {
  QDialog::changeEvent(event);
  if (event->type() != QEvent::ActivationChange || !dialog_->Has(rvoStayOnTopForm)) return;
  if (closing_ || !isVisible()) return;
  const bool active = isActiveWindow();
  if (active == !stayingOnTop_) return;
  stayingOnTop_ = !active;
  // On the platform window, so the window is neither hidden nor activated
  // again, and keeps its place and size.
  if (QWindow* window = windowHandle()) window->setFlag(Qt::WindowStaysOnTopHint, stayingOnTop_);
  if (QWidget* focused = focusWidget()) focused->update();
}

bool TwwRecordViewForm::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress || !isVisible()) return false;
  // Each key once, when it reaches the focused control of this window (Qt
  // offers an unhandled key to the parents as well).
  QWidget* focused = focusWidget();
  if (watched != (focused ? static_cast<QObject*>(focused) : this)) return false;
  auto* widget = qobject_cast<QWidget*>(watched);
  if (!widget || widget->window() != this) return false;
  return HandleKey(static_cast<QKeyEvent*>(event));
}

bool TwwRecordViewForm::HandleKey(QKeyEvent* event) {
  const Qt::KeyboardModifiers modifiers = event->modifiers();
  if (modifiers & Qt::AltModifier) return false;
  const int key = event->key();
  const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
  QWidget* focused = focusWidget();
  FieldEditor* editor = EditorOf(focused);

  if (enter && (modifiers & Qt::ControlModifier) && dialog_->Has(rvoModalForm) &&
      !dialog_->Has(rvoEnterToTab)) {
    SetModalResult(mrOK);
    return true;
  }
  if (key == Qt::Key_Escape) {
    // A changed edit box takes Escape to bring its value back; the window
    // closes only at an Escape on something unchanged.
    if (editor && editor->Modified()) return false;
    SetModalResult(mrCancel);
    return true;
  }
  const bool shift = modifiers & Qt::ShiftModifier;
  if (enter && dialog_->Has(rvoEnterToTab) && !(editor && editor->WantReturns())) {
    focusNextPrevChild(!shift);
    return true;
  }
  if ((key == Qt::Key_Tab || key == Qt::Key_Backtab) && !(editor && editor->WantTabs())) {
    focusNextPrevChild(key == Qt::Key_Tab && !shift);
    return true;
  }
  return false;
}

void TwwRecordViewForm::SetModalResult(TModalResult result) {
  modalResult_ = result;
  if (result == mrNone || closing_) return;
  if (!CloseQuery()) {
    modalResult_ = mrNone;
    return;
  }
  // A post or cancel that fails keeps the window open with the row as the
  // user left it; the failure goes on to the program's error box.
  try {
    CloseHandler();
  } catch (...) {
    modalResult_ = mrNone;
    throw;
  }
  closing_ = true;
  const bool modal = isModal();
  QDialog::done(modalResult_ == mrOK ? QDialog::Accepted : QDialog::Rejected);
  GiveBackBorrowed();
  dialog_->FormClosed(this);
  if (!modal) deleteLater();
}

void TwwRecordViewForm::closeEvent(QCloseEvent* event) {
  if (closing_) {
    event->accept();
    return;
  }
  // The close box: for a modal window a Cancel, as the platform's dialogs do.
  event->ignore();
  SetModalResult(mrCancel);
}

bool TwwRecordViewForm::CloseQuery() {
  switch (closeReason_) {
    case TwwCloseReason::crOther:
      if (!dialog_->Has(rvoCloseIsCancel)) modalResult_ = mrOK;
      break;
    case TwwCloseReason::crOK:
      modalResult_ = mrOK;
      return true;
    case TwwCloseReason::crCancel:
      break;
  }
  if (modalResult_ == mrOK) return true;

  data::TDataSet* dataSet = dialog_->DataSource() ? dialog_->DataSource()->DataSet() : nullptr;
  const bool browsing = !dataSet || dataSet->State() == data::DataSetState::kBrowse;
  if ((!AnyModified() && (!dialog_->Has(rvokAutoCancelRec) || browsing)) ||
      !dialog_->Has(rvoConfirmCancel)) {
    modalResult_ = mrCancel;
    return true;
  }
  if (dialog_->OnCancelWarning) {
    bool canClose = true;
    dialog_->OnCancelWarning(*this, canClose);
    return canClose;
  }
  switch (toolkit::ui().showMessage(intl::GlobalIntl().UserMessages().RecordViewExitWarning,
                                    "Confirm", toolkit::MessageKind::kConfirmation,
                                    toolkit::MessageButtons::kYesNoCancel)) {
    case toolkit::MessageResult::kYes:
      modalResult_ = mrOK;
      return true;
    case toolkit::MessageResult::kNo:
      modalResult_ = mrCancel;
      return true;
    default:
      return false;
  }
}

void TwwRecordViewForm::CloseHandler() {
  if (dialog_->OnCloseDialog) dialog_->OnCloseDialog(*this);
  data::TDataSet* dataSet = dialog_->DataSource() ? dialog_->DataSource()->DataSet() : nullptr;
  if (dataSet && dataSet->Active()) {
    if (dialog_->Has(rvokAutoCancelRec) && modalResult_ == mrCancel) {
      dataSet->Cancel();
    } else {
      if (FieldEditor* editor = EditorOf(focusWidget())) editor->FinishEdit();
      if (dialog_->Has(rvokAutoPostRec) && modalResult_ == mrOK) dataSet->CheckBrowseMode();
    }
  }
  DetachMenu();
}

}  // namespace recordview
