// One application object for every test of the folder, the program's own, so
// that the top-level exception handler is the one under test. Headless
// unless a platform is asked for explicitly.
#include <gtest/gtest.h>

#include "application.h"

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  app::Application application(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
