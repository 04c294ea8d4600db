// One application object for every test of the folder, headless unless a
// platform is asked for: the program's own, whose top-level handler shows
// what a key stroke's handler throws.
#include <gtest/gtest.h>

#include "app/application.h"
#include "app/engine/engine.h"

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  app::Application application(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  int result = RUN_ALL_TESTS();
  // Before the exit handlers: the store keeps per-thread state.
  engine::Engine::instance().shutdown();
  return result;
}
