// One table opened by the pdx tool for loading rows (insert, update,
// delete, import): the writer, the table's validity checks, grouping of
// rows into transactions, and the per-row refusal report on standard error.
//
// Rows are counted into groups of `group` rows (fewer once a group holds
// 64 MB of blocks), each group committed as one transaction. A refused row
// is reported with where it came from and the load goes on; the exit status
// of Finish is 0 when every row was written, 1 when some were refused.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "pdx_codes.h"
#include "pending_blobs.h"
#include "table.h"
#include "table_writer.h"

namespace pdx::tool {

inline constexpr int kExitRefused = 1;
inline constexpr int kExitFailed = 2;

struct WriteOptions {
  std::vector<std::string> passwords;
  int group = 100000;
  bool progress = false;
  bool sync = true;
};

// The engine's text for code with a context line, on one line.
std::string CodeLine(pdx_code code, const std::string& detail);
// Reports "pdx: TABLE: message" on standard error; answers kExitFailed.
int Fail(const std::string& table, const std::string& message);
// A writer's refusal of one row, after which the batch goes on.
bool IsRefusal(pdx_code code);

class RowLoader {
 public:
  pdx_code Open(const std::string& directory, const std::string& name, const WriteOptions& options,
                std::string* error);

  const std::vector<Field>& fields() const { return writer_->header().fields; }
  int key_fields() const { return writer_->header().key_fields; }
  int record_size() const { return writer_->header().record_size; }
  int code_page() const { return writer_->header().code_page; }
  TableWriter* writer() { return writer_.get(); }
  // Long memo and blob values of the row being filled.
  PendingBlobs* pending() { return &long_values_; }
  void ForgetRow(const uint8_t* record) { long_values_.DropBuffer(record); }

  // The index of the field named name (without regard to case), or -1.
  int FieldIndex(std::string_view name) const;
  // Maps a dump-format line of field names to field indexes.
  bool Columns(const std::string& line, std::vector<int>* columns, std::string* error) const;
  // Stores a dump-format line of values into record.
  pdx_code Fill(const std::vector<int>& columns, const std::string& line, uint8_t* record,
                std::string* detail);
  // The table's validity checks on a filled record.
  pdx_code Check(const uint8_t* record, std::string* detail);

  // where: "line 12", "key 3 (A-100)".
  void Refuse(const std::string& where, pdx_code code, const std::string& detail);
  void Refuse(const std::string& where, const std::string& message);

  pdx_code Begin() { return writer_->BeginBatch(); }
  // Counts a written row; commits when the group is full.
  pdx_code Written();
  pdx_code Commit();
  // Commits the last group; answers the exit status.
  int Finish();
  // Reports a failure that ends the load; answers kExitFailed.
  int Abort(pdx_code code);

 private:
  std::string name_;
  std::unique_ptr<Table> table_;
  std::unique_ptr<TableWriter> writer_;
  PendingBlobs long_values_;
  std::vector<FieldCheck> checks_;
  int group_ = 100000;
  bool progress_ = false;
  bool refused_ = false;
  int64_t pending_ = 0, committed_ = 0;
};

}  // namespace pdx::tool
