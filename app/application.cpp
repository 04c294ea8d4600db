#include "application.h"

#include <QPointer>
#include <QWidget>

#include "app_texts.h"
#include "toolkit/abort.h"
#include "toolkit/ui_services.h"

namespace app {

Application::Application(int& argc, char** argv)
    : QApplication(argc, argv),
      title_(applicationTitle(QCoreApplication::applicationFilePath().toStdString())) {}

Application* Application::instance() {
  return dynamic_cast<Application*>(QCoreApplication::instance());
}

void Application::RunHandler(const std::function<void()>& handler) {
  try {
    handler();
  } catch (...) {
    Application* application = instance();
    if (!application) throw;
    application->HandleException(std::current_exception());
  }
}

bool Application::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (...) {
    HandleException(std::current_exception());
    return false;
  }
}

void Application::HandleException(std::exception_ptr error) {
  if (QWidget* grabber = QWidget::mouseGrabber()) grabber->releaseMouse();
  std::string message;
  try {
    std::rethrow_exception(error);
  } catch (const toolkit::EAbort&) {
    return;
  } catch (const std::exception& failure) {
    message = failure.what();
  }
  QPointer<QWidget> active = QApplication::activeWindow();
  toolkit::ui().showMessage(withFullStop(message), title_, toolkit::MessageKind::kError,
                            toolkit::MessageButtons::kOk);
  if (active) active->activateWindow();
}

}  // namespace app
