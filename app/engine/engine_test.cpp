#include "engine.h"

#include <gtest/gtest.h>

#include <vector>

#include "paradox/pdx_codes.h"
#include "test_support/temporary_directory.h"
#include "toolkit/scripted_ui.h"

namespace engine {
namespace {

namespace fs = std::filesystem;
using toolkit::CursorShape;

// Starts the process's engine from a fixture library placed under a probe
// name, and shuts it down again afterwards.
class EngineStartTest : public ::testing::Test {
 protected:
  // extra: permissions added to the placed library.
  void startFrom(const char* fixture, fs::perms extra = fs::perms::none) {
    LibrarySearch search;
    search.fileName = "libvindral-engine-probe.so";
    search.registryFile = (dir_.Path() / "registry.ini").string();
    dir_.Write(search.registryFile,
               "[Software\\Vindral\\Table Engine]\nDLLPATH=" + dir_.Path().string() + "\n");
    if (fixture) {
      fs::copy_file(fixture, dir_.Path() / search.fileName);
      fs::permissions(dir_.Path() / search.fileName, extra, fs::perm_options::add);
    }
    engine().setLibrarySearch(search);
    engine().start();
  }
  Engine& engine() { return Engine::instance(); }
  ~EngineStartTest() override {
    engine().shutdown();
    engine().setLibrarySearch(LibrarySearch{});
  }

  test_support::TemporaryDirectory dir_;
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

TEST_F(EngineStartTest, ALibraryOthersCanWriteIsNamedInTheStartupMessage) {
  try {
    startFrom(FIXTURE_ALREADY_STARTED, fs::perms::group_write);
    FAIL() << "the start should fail";
  } catch (const EngineError& error) {
    EXPECT_EQ(error.code(), PDX_ERR_LIBRARY_NOT_FOUND);
    EXPECT_EQ(std::string(error.what()),
              "An error occurred while attempting to initialize the table engine (error $2108)\n" +
                  (dir_.Path() / "libvindral-engine-probe.so").string() +
                  " was not loaded: the file is writable by users other than its owner (mode "
                  "775).");
  }
  EXPECT_FALSE(engine().started());
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
