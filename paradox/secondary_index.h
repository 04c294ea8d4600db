// A keyed table's secondary indexes (.Xnn/.Ynn for one field, .XGn/.YGn
// composite): what each indexes, whether the store can keep it, what it
// must hold, and writing it anew.
//
// The .X file is a keyed file of its own with one row per table row: the
// indexed fields, then the table's key fields, then a short integer naming
// the table block that holds the row. Its rows are in the order of all but
// that last field (indexed fields descending where the index says so,
// alpha compared without regard to case in a case-insensitive index). The
// .Y file is the .X file's primary index, laid out as a .PX.
//
// The table writer keeps an index up to date row by row, in the
// transaction of each change (secondary_index_writer.h); writing both files
// whole from the table's rows is for making an index.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "file_system.h"
#include "journal.h"
#include "table_header.h"

namespace pdx {

struct SecondaryIndex {
  std::string x_path, y_path;  // y_path empty when the .Y is missing
  TableHeader header;          // the .X file's
  std::string name;            // the index's name, or its field's
  std::vector<int> fields;     // the indexed fields, 1-based table field numbers
  std::vector<bool> descending;
  bool composite = false;
  bool case_insensitive = false;
  bool unique = false;
  bool maintained = false;  // kept up to date at every change (file types 5 and 8)

  // Empty when a change of table may go ahead with this index: the store
  // keeps it up to date, or (not maintained) leaves it for its engine to
  // bring up to date when used; otherwise why not.
  std::string WriteRefusal(const TableHeader& table) const;
};

// The secondary index files beside the data file at db_path, in name order.
// An index file whose header cannot be read is reported in *unreadable.
pdx_code FindSecondaryIndexes(FileSystem* fs, const std::string& db_path, const TableHeader& table,
                              std::vector<SecondaryIndex>* indexes,
                              std::vector<std::string>* unreadable);

// A table row and the block that holds it.
struct TableRow {
  uint16_t block;
  const uint8_t* data;
};

// Compares two .X rows (or their keys) on their first fields key fields:
// indexed fields descending where the index says so, alpha without regard
// to case in a case-insensitive index.
int CompareIndexRows(const SecondaryIndex& index, const uint8_t* a, const uint8_t* b,
                     size_t fields);

// The .X row of a table row that lives in block.
std::string MakeIndexRow(const SecondaryIndex& index, const TableHeader& table, const uint8_t* row,
                         uint16_t block);

// The rows index should hold, in order, for the table's rows. A unique
// index whose indexed values repeat gets *duplicate set (when given).
std::vector<std::string> ExpectedIndexRows(const SecondaryIndex& index, const TableHeader& table,
                                           const std::vector<TableRow>& rows,
                                           bool* duplicate = nullptr);

// The rows of the .X file in its chain order; false (with *why) when its
// chain cannot be walked.
bool ReadIndexRows(FileSystem* fs, const SecondaryIndex& index, std::vector<std::string>* rows,
                   std::string* why);

// Writes the .X and .Y files for rows (ExpectedIndexRows) into transaction,
// where they are file numbers x_file and y_file; y is the .Y file, open.
pdx_code WriteSecondaryIndex(SecondaryIndex* index, const std::vector<std::string>& rows, File* y,
                             Transaction* transaction, int x_file, int y_file, std::string* error);

}  // namespace pdx
