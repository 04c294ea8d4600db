// Tables for the window's tests, written by an independent Paradox writer
// (Debian's pxlib) into a temporary directory that the alias FOLIODB names
// through an engine configuration file of the test's own.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "test_support/temporary_directory.h"

namespace app::testing {

class TestDatabase {
 public:
  // An empty directory, an engine configuration pointing FOLIODB at it, and
  // a registry whose DLLPATH names the build's engine library, so the tests
  // do not depend on the platform's search finding it.
  TestDatabase();
  ~TestDatabase();

  // An unkeyed table of one alpha field "Name" holding rows, encrypted when
  // a password is given.
  void addTable(const std::string& fileName, const std::vector<std::string>& rows,
                const std::string& password = {});
  // The configuration names a directory that does not exist.
  void dropAlias();
  const std::filesystem::path& directory() const { return tables_; }

 private:
  test_support::TemporaryDirectory dir_;
  std::filesystem::path tables_;
  std::filesystem::path config_;
  std::filesystem::path registry_;
  test_support::ScopedEnvironment configVariable_;
  test_support::ScopedEnvironment registryVariable_;
};

// Each of the six tables of the window, with a row or two.
void addTheSixTables(TestDatabase& database);

}  // namespace app::testing
