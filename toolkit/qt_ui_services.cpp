#include "qt_ui_services.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>

namespace toolkit {

namespace {

QMessageBox::Icon iconFor(MessageKind kind) {
  switch (kind) {
    case MessageKind::kError:
      return QMessageBox::Critical;
    case MessageKind::kWarning:
      return QMessageBox::Warning;
    case MessageKind::kInformation:
      return QMessageBox::Information;
    case MessageKind::kConfirmation:
      return QMessageBox::Question;
  }
  return QMessageBox::NoIcon;
}

// The first button is the default; the close box and Escape answer the last
// button that means "no" (Cancel, else No), or OK on a box with only OK.
struct ButtonSet {
  QMessageBox::StandardButtons buttons;
  QMessageBox::StandardButton defaultButton;
  QMessageBox::StandardButton escapeButton;
};

ButtonSet buttonsFor(MessageButtons buttons) {
  switch (buttons) {
    case MessageButtons::kOk:
      return {QMessageBox::Ok, QMessageBox::Ok, QMessageBox::Ok};
    case MessageButtons::kOkCancel:
      return {QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok, QMessageBox::Cancel};
    case MessageButtons::kYesNo:
      return {QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes, QMessageBox::No};
    case MessageButtons::kYesNoCancel:
      return {QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes,
              QMessageBox::Cancel};
  }
  return {QMessageBox::Ok, QMessageBox::Ok, QMessageBox::Ok};
}

MessageResult resultFor(int button) {
  switch (button) {
    case QMessageBox::Ok:
      return MessageResult::kOk;
    case QMessageBox::Yes:
      return MessageResult::kYes;
    case QMessageBox::No:
      return MessageResult::kNo;
    default:
      return MessageResult::kCancel;
  }
}

bool isUserInput(QEvent::Type type) {
  switch (type) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
      return true;
    default:
      return false;
  }
}

}  // namespace

QtUiServices::QtUiServices() {
  qApp->installEventFilter(this);
}

QtUiServices::~QtUiServices() {
  if (cursor_ == CursorShape::kHourGlass) QApplication::restoreOverrideCursor();
}

MessageResult QtUiServices::showMessage(const std::string& text, const std::string& caption,
                                        MessageKind kind, MessageButtons buttons) {
  const ButtonSet set = buttonsFor(buttons);
  QMessageBox box(iconFor(kind), QString::fromStdString(caption), QString::fromStdString(text),
                  set.buttons, QApplication::activeWindow());
  box.setTextFormat(Qt::PlainText);
  box.setDefaultButton(set.defaultButton);
  box.setEscapeButton(set.escapeButton);
  // A box raised under the hourglass still needs the arrow to be answered.
  const bool busy = cursor_ == CursorShape::kHourGlass;
  if (busy) QApplication::setOverrideCursor(Qt::ArrowCursor);
  const int answer = box.exec();
  if (busy) QApplication::restoreOverrideCursor();
  return resultFor(answer);
}

void QtUiServices::beep() {
  QApplication::beep();
}

void QtUiServices::setCursor(CursorShape shape) {
  if (shape == cursor_) return;
  if (shape == CursorShape::kHourGlass)
    QApplication::setOverrideCursor(Qt::WaitCursor);
  else
    QApplication::restoreOverrideCursor();
  cursor_ = shape;
}

bool QtUiServices::escapePressed() {
  checkingEscape_ = true;
  processEvents();
  checkingEscape_ = false;
  const bool seen = escapeSeen_;
  escapeSeen_ = false;
  return seen;
}

void QtUiServices::processEvents() {
  ++servicingEvents_;
  QCoreApplication::processEvents();
  --servicingEvents_;
}

bool QtUiServices::eventFilter(QObject* watched, QEvent* event) {
  if (servicingEvents_ > 0 && event->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
    escapeSeen_ = true;
  }
  if (checkingEscape_ && (isUserInput(event->type()) || event->type() == QEvent::Timer))
    return true;
  return QObject::eventFilter(watched, event);
}

namespace {
class InstalledQtUiServices : public QtUiServices {
 public:
  InstalledQtUiServices() : previous_(setUi(this)) {}
  ~InstalledQtUiServices() override { setUi(previous_); }

 private:
  UiServices* previous_;
};
}  // namespace

std::unique_ptr<QtUiServices> installQtUiServices() {
  return std::make_unique<InstalledQtUiServices>();
}

}  // namespace toolkit
