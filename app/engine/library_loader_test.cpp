#include "library_loader.h"

#include <gtest/gtest.h>

#include "paradox/pdx_codes.h"
#include "test_directory.h"

namespace engine {
namespace {

namespace fs = std::filesystem;
using testing::ScopedCurrentDirectory;
using testing::TestDirectory;

// A file name the platform's own search never finds, so only the current
// directory and DLLPATH can supply it.
constexpr const char* kProbeName = "libvindral-loader-probe.so";

class LibraryLoaderTest : public ::testing::Test {
 protected:
  LibraryLoaderTest() : cwd_(dir_.sub("cwd")) {
    search_.fileName = kProbeName;
    search_.registryFile = (dir_.path() / "registry.ini").string();
  }

  fs::path place(const char* fixture, const std::string& subdir) {
    fs::path target = dir_.sub(subdir) / kProbeName;
    fs::copy_file(fixture, target, fs::copy_options::overwrite_existing);
    return target;
  }
  void setDllPath(const std::string& value) {
    dir_.write(search_.registryFile,
               "[Software\\Vindral\\Table Engine]\nDLLPATH=" + value + "\n");
  }
  std::string dirPath(const std::string& subdir) { return dir_.sub(subdir).string(); }

  TestDirectory dir_;
  ScopedCurrentDirectory cwd_;
  LibrarySearch search_;
  LoadedLibrary library_;
  Api api_;
};

TEST(SearchPath, SplitsOnSemicolonsAndColonsDroppingEmptyParts) {
  EXPECT_EQ(splitSearchPath("/a;/b:/c;;/d:"), (std::vector<std::string>{"/a", "/b", "/c", "/d"}));
  EXPECT_TRUE(splitSearchPath("").empty());
}

TEST_F(LibraryLoaderTest, CurrentDirectoryComesBeforeDllPath) {
  fs::path inCwd = place(FIXTURE_REFUSING, "cwd");
  place(FIXTURE_REFUSING, "first");
  setDllPath(dirPath("first"));
  ASSERT_EQ(library_.load(search_, api_), PDX_OK);
  EXPECT_EQ(fs::canonical(library_.path()), fs::canonical(inCwd));
  EXPECT_NE(api_.pdx_delete_record, nullptr);
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
}

TEST_F(LibraryLoaderTest, AFileThatIsNotALibraryFailsToLoad) {
  dir_.write(dir_.path() / "cwd" / kProbeName, "just some text, not a library\n");
  EXPECT_EQ(library_.load(search_, api_), PDX_ERR_LIBRARY_LOAD_FAILED);
  EXPECT_FALSE(library_.loaded());
}

TEST_F(LibraryLoaderTest, ABrokenFileInTheCurrentDirectoryDoesNotHideAGoodOne) {
  dir_.write(dir_.path() / "cwd" / kProbeName, "not a library");
  fs::path good = place(FIXTURE_REFUSING, "good");
  setDllPath(dirPath("good"));
  ASSERT_EQ(library_.load(search_, api_), PDX_OK);
  EXPECT_EQ(fs::canonical(library_.path()), fs::canonical(good));
}

TEST_F(LibraryLoaderTest, MissingEntryPointsAreReportedAndTheLibraryReleased) {
  place(FIXTURE_NO_REFRESH, "cwd");
  EXPECT_EQ(library_.load(search_, api_), PDX_ERR_ENTRY_POINT_NOT_FOUND);
  EXPECT_FALSE(library_.loaded());
  EXPECT_EQ(api_.pdx_init, nullptr);

  place(FIXTURE_NO_INIT, "cwd");
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
#endif

}  // namespace
}  // namespace engine
