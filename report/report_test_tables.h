// Tables for the report's tests, written into a temporary directory by the
// store itself (or, for plain numbered rows, by an independent Paradox
// writer), and opened in a table data set as the program opens them.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "data/paradox_table_test_support.h"
#include "data/wwtable.h"

namespace report::testing {

class ReportTables {
 public:
  ReportTables();

  // Empty when the tables can be made; otherwise why not (the test skips).
  const std::string& unavailable() const { return unavailable_; }

  // NUMBERS of rowCount rows: ID long integer, NAME alpha 20 ("Name<i>"),
  // AMOUNT number (i * 1.5).
  std::unique_ptr<data::TwwTable> numbered(int rowCount);
  // A table of alpha fields (schema lines "NAME<TAB>A<size>") holding the
  // rows' values, each written as the bytes given.
  std::unique_ptr<data::TwwTable> alpha(const std::string& name,
                                        const std::vector<std::string>& schemaLines,
                                        const std::vector<std::vector<std::string>>& rows);

  const data::testing::TemporaryDirectory& directory() const { return directory_; }

 private:
  std::unique_ptr<data::TwwTable> open(const std::string& name);

  data::testing::TemporaryDirectory directory_;
  std::string unavailable_;
  int numberedTables_ = 0;
};

}  // namespace report::testing
