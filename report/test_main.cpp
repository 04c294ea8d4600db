// One QApplication for every widget test of the folder. The tests run
// headless unless a platform is asked for explicitly, also while CTest lists
// them. The engine the tables were read through is shut down before the
// process exits, while everything it uses still exists.
#include <gtest/gtest.h>

#include <QApplication>

#include "app/engine/engine.h"

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  const int result = RUN_ALL_TESTS();
  engine::Engine::instance().shutdown();
  return result;
}
