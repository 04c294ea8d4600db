// Real tables for the tests and the benchmark, written into a directory by
// the store itself, or in one go by an independent Paradox writer.
#pragma once

#include <filesystem>
#include <string>

#include "test_support/temporary_directory.h"

namespace data::testing {

// Starts the engine; false (with the reason) when the store library is not
// there to load.
bool StartEngine(std::string* reason);

struct CreatedTable {
  bool created = false;
  std::string reason;  // why it was not created
};

// NUMBERS: ID long integer (the key), NAME alpha 20, AMOUNT number; row i
// holds i, "Name<i>", i * 1.5. With a picture, NAME has a validity check
// with that picture.
CreatedTable CreateNumberedTable(const std::filesystem::path& directory, const std::string& name,
                                 int rows, const std::string& namePicture = "");
// The same table unkeyed, written in one go by the independent writer: for
// tables too large to fill row by row through the engine.
CreatedTable WriteNumberedTable(const std::filesystem::path& directory, const std::string& name,
                                int rows);

// The shared helper, under the name this folder's tests (and the controls'
// tests built on them) use.
using TemporaryDirectory = test_support::TemporaryDirectory;

}  // namespace data::testing
