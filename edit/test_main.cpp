// One application object for every test of the folder; headless unless a
// platform is asked for explicitly.
#include <gtest/gtest.h>
#include <QApplication>

#include "app/engine/engine.h"

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  int result = RUN_ALL_TESTS();
  // Stopped here, as the program stops it, rather than from a static
  // destructor that runs after the store's per-thread error text is gone.
  engine::Engine::instance().shutdown();
  return result;
}
