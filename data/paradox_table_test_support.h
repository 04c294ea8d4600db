// Real tables for the tests and the benchmark, written into a directory: by
// the store itself when it can create tables, otherwise by an independent
// Paradox writer (without validity checks, which that writer cannot make).
#pragma once

#include <filesystem>
#include <string>

namespace data::testing {

// Starts the engine; false (with the reason) when the store library is not
// there to load.
bool StartEngine(std::string* reason);

struct CreatedTable {
  bool created = false;
  bool byStore = false;  // false: written by the independent writer
  std::string reason;    // why it was not created
};

// NUMBERS: ID long integer (key when made by the store), NAME alpha 20,
// AMOUNT number; row i holds i, "Name<i>", i * 1.5. With a picture, NAME has
// a validity check with that picture (only the store can write it).
CreatedTable CreateNumberedTable(const std::filesystem::path& directory, const std::string& name,
                                 int rows, const std::string& namePicture = "");
// The same table unkeyed, written in one go by the independent writer: for
// tables too large to fill row by row through the engine.
CreatedTable WriteNumberedTable(const std::filesystem::path& directory, const std::string& name,
                                int rows);

// A fresh directory under the system's temporary directory, removed afterwards.
class TemporaryDirectory {
 public:
  TemporaryDirectory();
  ~TemporaryDirectory();
  TemporaryDirectory(const TemporaryDirectory&) = delete;
  TemporaryDirectory& operator=(const TemporaryDirectory&) = delete;
  const std::filesystem::path& Path() const { return path_; }
  // The path as the data set's database: a directory, which the engine tells
  // from an alias by its '/'.
  std::string Database() const { return path_.string() + "/"; }

 private:
  std::filesystem::path path_;
};

}  // namespace data::testing
