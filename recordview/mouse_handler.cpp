#include "recordview/mouse_handler.h"

#include <QMetaObject>
#include <QObject>
#include <exception>

namespace recordview {

void RunFromMouse(QObject* context, const std::function<void()>& handler) {
  try {
    handler();
  } catch (...) {
    std::exception_ptr failure = std::current_exception();
    QMetaObject::invokeMethod(
        context, [failure] { std::rethrow_exception(failure); }, Qt::QueuedConnection);
  }
}

}  // namespace recordview
