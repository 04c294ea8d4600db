#include "library_loader.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "paradox/pdx_codes.h"
#include "test_support/temporary_directory.h"

namespace engine {
namespace {

namespace fs = std::filesystem;
using test_support::ScopedCurrentDirectory;
using test_support::ScopedEnvironment;
using test_support::TemporaryDirectory;

// A file name the platform's own search never finds, so only the program's
// directory and DLLPATH can supply it.
constexpr const char* kProbeName = "libvindral-loader-probe.so";

class LibraryLoaderTest : public ::testing::Test {
 protected:
  LibraryLoaderTest() : cwd_(dir_.Sub("cwd")), marker_(dir_.Path() / "loaded.txt") {
    search_.fileName = kProbeName;
    search_.registryFile = (dir_.Path() / "registry.ini").string();
    search_.programDirectory = dirPath("program");
  }

  fs::path place(const char* fixture, const std::string& subdir) {
    fs::path target = dir_.Sub(subdir) / kProbeName;
    fs::copy_file(fixture, target, fs::copy_options::overwrite_existing);
    return target;
  }
  void setDllPath(const std::string& value) {
    dir_.Write(search_.registryFile, "[Software\\Vindral\\Table Engine]\nDLLPATH=" + value + "\n");
  }
  std::string dirPath(const std::string& subdir) { return dir_.Sub(subdir).string(); }
  // Whether a planted fixture has run any of its code in this process.
  bool plantedWasLoaded() const { return fs::exists(marker_); }

  TemporaryDirectory dir_;
  ScopedCurrentDirectory cwd_;
  fs::path marker_;
  ScopedEnvironment markerVariable_{"VINDRAL_LOADED_MARKER", marker_.string()};
  LibrarySearch search_;
  LoadedLibrary library_;
  Api api_;
};

TEST(SearchPath, SplitsOnSemicolonsAndColonsDroppingEmptyParts) {
  EXPECT_EQ(splitSearchPath("/a;/b:/c;;/d:"), (std::vector<std::string>{"/a", "/b", "/c", "/d"}));
  EXPECT_TRUE(splitSearchPath("").empty());
}

TEST_F(LibraryLoaderTest, TheProgramsDirectoryComesBeforeDllPath) {
  fs::path beside = place(FIXTURE_REFUSING, "program");
  place(FIXTURE_REFUSING, "first");
  setDllPath(dirPath("first"));
  ASSERT_EQ(library_.load(search_, api_), PDX_OK);
  EXPECT_EQ(fs::canonical(library_.path()), fs::canonical(beside));
  EXPECT_NE(api_.pdx_delete_record, nullptr);
}

TEST_F(LibraryLoaderTest, ByDefaultTheProgramsDirectoryIsTheExecutablesOwn) {
  // The test program's own directory, not the current one.
  search_.programDirectory.clear();
  search_.fileName = "libvindral-loader-probe-" + std::to_string(getpid()) + ".so";
  const fs::path beside = fs::canonical("/proc/self/exe").parent_path() / search_.fileName;
  fs::copy_file(FIXTURE_REFUSING, beside, fs::copy_options::overwrite_existing);
  fs::copy_file(FIXTURE_REFUSING, dir_.Path() / "cwd" / search_.fileName);
  setDllPath(dirPath("empty"));
  const pdx_code loaded = library_.load(search_, api_);
  const bool fromBeside = loaded == PDX_OK && fs::equivalent(library_.path(), beside);
  library_.release();
  fs::remove(beside);
  ASSERT_EQ(loaded, PDX_OK);
  EXPECT_TRUE(fromBeside);
}

TEST_F(LibraryLoaderTest, ALibraryPlantedInTheCurrentDirectoryIsNeverLoaded) {
  place(FIXTURE_PLANTED, "cwd");
  setDllPath(dirPath("empty"));
  EXPECT_EQ(library_.load(search_, api_), PDX_ERR_LIBRARY_NOT_FOUND);
  EXPECT_FALSE(plantedWasLoaded());

  fs::path good = place(FIXTURE_REFUSING, "good");
  setDllPath(dirPath("good"));
  ASSERT_EQ(library_.load(search_, api_), PDX_OK);
  EXPECT_EQ(fs::canonical(library_.path()), fs::canonical(good));
  EXPECT_FALSE(plantedWasLoaded());
}

TEST_F(LibraryLoaderTest, ALibraryOthersCanWriteIsRefusedAndNamed) {
  fs::path beside = place(FIXTURE_PLANTED, "program");
  fs::permissions(beside, fs::perms::group_write, fs::perm_options::add);
  fs::path listed = place(FIXTURE_PLANTED, "listed");
  fs::permissions(listed, fs::perms::others_write, fs::perm_options::add);
  setDllPath(dirPath("listed"));
  EXPECT_EQ(library_.load(search_, api_), PDX_ERR_LIBRARY_NOT_FOUND);
  EXPECT_FALSE(library_.loaded());
  EXPECT_FALSE(plantedWasLoaded());
  ASSERT_EQ(library_.refusals().size(), 2u);
  EXPECT_EQ(library_.refusals()[0], beside.string() +
                                        " was not loaded: the file is writable by users other "
                                        "than its owner (mode 775).");
  EXPECT_EQ(library_.refusals()[1], listed.string() +
                                        " was not loaded: the file is writable by users other "
                                        "than its owner (mode 757).");

  // The search goes on past a refused file, and a sound one later is loaded.
  fs::path good = place(FIXTURE_REFUSING, "good");
  setDllPath(dirPath("listed") + ";" + dirPath("good"));
  ASSERT_EQ(library_.load(search_, api_), PDX_OK);
  EXPECT_EQ(fs::canonical(library_.path()), fs::canonical(good));
  EXPECT_EQ(library_.refusals().size(), 2u);
  EXPECT_FALSE(plantedWasLoaded());
}

TEST_F(LibraryLoaderTest, ALibraryInAFolderOthersCanWriteIsRefused) {
  fs::path beside = place(FIXTURE_PLANTED, "program");
  fs::permissions(beside.parent_path(), fs::perms::all);
  setDllPath(dirPath("empty"));
  EXPECT_EQ(library_.load(search_, api_), PDX_ERR_LIBRARY_NOT_FOUND);
  EXPECT_FALSE(plantedWasLoaded());
  ASSERT_EQ(library_.refusals().size(), 1u);
  EXPECT_EQ(library_.refusals()[0], beside.string() + " was not loaded: its folder " +
                                        beside.parent_path().string() +
                                        " is writable by users other than its owner (mode 777).");
}

TEST_F(LibraryLoaderTest, DllPathDirectoriesAreTriedInOrder) {
  fs::path second = place(FIXTURE_REFUSING, "second");
  place(FIXTURE_REFUSING, "third");
  setDllPath(dirPath("empty") + ";" + dirPath("second") + ":" + dirPath("third"));
  ASSERT_EQ(library_.load(search_, api_), PDX_OK);
  EXPECT_EQ(fs::canonical(library_.path()), fs::canonical(second));
}

TEST_F(LibraryLoaderTest, MissingEverywhereIsNotFound) {
  setDllPath(dirPath("empty"));
  EXPECT_EQ(library_.load(search_, api_), PDX_ERR_LIBRARY_NOT_FOUND);
  EXPECT_FALSE(library_.loaded());
  EXPECT_TRUE(library_.refusals().empty());
}

TEST_F(LibraryLoaderTest, AFileThatIsNotALibraryFailsToLoad) {
  dir_.Write(dir_.Path() / "program" / kProbeName, "just some text, not a library\n");
  EXPECT_EQ(library_.load(search_, api_), PDX_ERR_LIBRARY_LOAD_FAILED);
  EXPECT_FALSE(library_.loaded());
}

TEST_F(LibraryLoaderTest, ABrokenFileBesideTheProgramDoesNotHideAGoodOne) {
  dir_.Write(dir_.Path() / "program" / kProbeName, "not a library");
  fs::path good = place(FIXTURE_REFUSING, "good");
  setDllPath(dirPath("good"));
  ASSERT_EQ(library_.load(search_, api_), PDX_OK);
  EXPECT_EQ(fs::canonical(library_.path()), fs::canonical(good));
}

TEST_F(LibraryLoaderTest, MissingEntryPointsAreReportedAndTheLibraryReleased) {
  place(FIXTURE_NO_REFRESH, "program");
  EXPECT_EQ(library_.load(search_, api_), PDX_ERR_ENTRY_POINT_NOT_FOUND);
  EXPECT_FALSE(library_.loaded());
  EXPECT_EQ(api_.pdx_init, nullptr);

  place(FIXTURE_NO_INIT, "program");
  EXPECT_EQ(library_.load(search_, api_), PDX_ERR_NOT_INITIALIZED);
  EXPECT_FALSE(library_.loaded());
}

#ifdef HAVE_STORE
TEST_F(LibraryLoaderTest, BareNameFallsBackToThePlatformSearch) {
  search_.fileName = "libpdx.so";
  setDllPath(dirPath("empty"));
  ASSERT_EQ(library_.load(search_, api_), PDX_OK);
  EXPECT_EQ(fs::path(library_.path()).filename(), "libpdx.so");
}

TEST_F(LibraryLoaderTest, AnEngineLibraryPlantedInTheCurrentDirectoryIsPassedOver) {
  // Under the engine's own file name, with the search as the program runs it.
  fs::copy_file(FIXTURE_PLANTED, dir_.Path() / "cwd" / "libpdx.so");
  LibrarySearch search;
  search.registryFile = search_.registryFile;
  setDllPath(dirPath("empty"));
  ASSERT_EQ(library_.load(search, api_), PDX_OK);
  EXPECT_NE(fs::canonical(library_.path()), fs::canonical(dir_.Path() / "cwd" / "libpdx.so"));
  EXPECT_FALSE(plantedWasLoaded());
}
#endif

}  // namespace
}  // namespace engine
