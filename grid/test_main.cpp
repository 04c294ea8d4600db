// One application for every widget test of the folder. Like the program's
// own, it catches what a handler throws at the event dispatch; the tests read
// the message from LastError().
#include <gtest/gtest.h>

#include <QApplication>
#include <string>

#include "app/engine/engine.h"
#include "grid/test_support.h"

namespace {

std::string lastError;

class TestApplication : public QApplication {
 public:
  using QApplication::QApplication;
  bool notify(QObject* receiver, QEvent* event) override {
    try {
      return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
      lastError = error.what();
      return false;
    }
  }
};

}  // namespace

namespace grid::testing {
std::string TakeLastError() {
  std::string error;
  error.swap(lastError);
  return error;
}
}  // namespace grid::testing

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  TestApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  const int result = RUN_ALL_TESTS();
  // Before the exit handlers run: the store's per-thread error text is gone
  // by the time the engine's own static would shut it down.
  engine::Engine::instance().shutdown();
  return result;
}
