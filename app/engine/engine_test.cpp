#include "engine.h"

#include <gtest/gtest.h>

#include <vector>

#include "paradox/pdx_codes.h"
#include "test_directory.h"
#include "toolkit/scripted_ui.h"

namespace engine {
namespace {

namespace fs = std::filesystem;
using toolkit::CursorShape;

// Starts the process's engine from a fixture library placed under a probe
// name, and shuts it down again afterwards.
class EngineStartTest : public ::testing::Test {
 protected:
  void startFrom(const char* fixture) {
    LibrarySearch search;
    search.fileName = "libvindral-engine-probe.so";
    search.registryFile = (dir_.path() / "registry.ini").string();
    dir_.write(search.registryFile,
               "[Software\\Vindral\\Table Engine]\nDLLPATH=" + dir_.path().string() + "\n");
    if (fixture) fs::copy_file(fixture, dir_.path() / search.fileName);
    engine().setLibrarySearch(search);
    engine().start();
  }
  Engine& engine() { return Engine::instance(); }
  ~EngineStartTest() override {
    engine().shutdown();
    engine().setLibrarySearch(LibrarySearch{});
  }

  testing::TestDirectory dir_;
  toolkit::ScopedScriptedUi ui_;
};

TEST_F(EngineStartTest, MissingLibraryGivesTheStartupMessageUnderTheHourglass) {
  try {
    startFrom(nullptr);
    FAIL() << "the start should fail";
  } catch (const EngineError& error) {
    EXPECT_EQ(error.code(), PDX_ERR_LIBRARY_NOT_FOUND);
    EXPECT_STREQ(error.what(),
                 "An error occurred while attempting to initialize the table engine "
                 "(error $2108)");
  }
  EXPECT_FALSE(engine().started());
  EXPECT_EQ(ui_.cursorHistory, (std::vector{CursorShape::kHourGlass, CursorShape::kArrow}));
}

TEST_F(EngineStartTest, RefusedStartIsAStartupErrorAndLeavesNothingLoaded) {
  try {
    startFrom(FIXTURE_REFUSING);
    FAIL() << "the start should fail";
  } catch (const EngineError& error) {
    EXPECT_EQ(error.code(), PDX_ERR_NOT_SUPPORTED);
    EXPECT_NE(std::string(error.what()).find("(error $270b)"), std::string::npos);
  }
  EXPECT_FALSE(engine().started());
  EXPECT_TRUE(engine().libraryPath().empty());
}

TEST_F(EngineStartTest, AlreadyInitialisedCountsAsStarted) {
  startFrom(FIXTURE_ALREADY_STARTED);
  EXPECT_TRUE(engine().started());
  EXPECT_EQ(engine().sessionName(), "Default");
  EXPECT_EQ(ui_.cursor(), CursorShape::kArrow);
}

TEST_F(EngineStartTest, MissingEntryPointIsAStartupError) {
  try {
    startFrom(FIXTURE_NO_REFRESH);
    FAIL() << "the start should fail";
  } catch (const EngineError& error) {
    EXPECT_EQ(error.code(), PDX_ERR_ENTRY_POINT_NOT_FOUND);
    EXPECT_NE(std::string(error.what()).find("(error $274f)"), std::string::npos);
  }
}

}  // namespace
}  // namespace engine
