#include "foliodb_writer.h"

#include <algorithm>
#include <memory>
#include <numeric>
#include <vector>

#include "foliodb_data.h"
#include "foliodb_schemas.h"
#include "paradox/create_table.h"
#include "paradox/error_context.h"
#include "paradox/file_system.h"
#include "paradox/key_compare.h"
#include "paradox/pdx_codes.h"
#include "paradox/record_checks.h"
#include "paradox/record_text.h"
#include "paradox/schema.h"
#include "paradox/table.h"
#include "paradox/table_writer.h"

namespace foliodb {
namespace {

// Removes the files of a table made by an earlier run.
void RemoveTable(pdx::FileSystem* fs, const std::string& directory, const std::string& name) {
  for (const char* extension : {".DB", ".PX", ".MB", ".VAL", ".JNL"}) {
    std::string path = pdx::FindFileNoCase(fs, directory, name + extension);
    if (!path.empty()) fs->Remove(path);
  }
}

bool WriteTable(pdx::FileSystem* fs, const std::string& directory, const TableSchemaText& table,
                const std::vector<Row>& rows, std::string* error) {
  const std::string name = table.name;
  pdx::TableSchema schema;
  if (pdx::ParseSchema(table.schema, &schema, error) != PDX_OK) return false;
  RemoveTable(fs, directory, name);
  if (pdx::CreateTable(fs, directory, name, schema, error) != PDX_OK) return false;
  // Every row must pass the table's own validity checks.
  std::unique_ptr<pdx::Table> opened;
  const std::vector<pdx::FieldCheck>* checks = nullptr;
  if (pdx::Table::Open(fs, directory, name, {}, &opened) != PDX_OK ||
      opened->Checks(&checks) != PDX_OK) {
    *error = name + ": the new table cannot be read";
    return false;
  }
  std::unique_ptr<pdx::TableWriter> writer;
  if (pdx::TableWriter::Open(fs, directory + "/" + name + ".DB", &writer, error) != PDX_OK)
    return false;
  // The build makes the database again from nothing when it is lost.
  writer->set_sync(false);
  if (writer->BeginBatch() != PDX_OK) return *error = writer->last_error(), false;
  // Encoded and checked first, then inserted in key order: rows that arrive
  // in key order fill their blocks, so the largest scales stay within the
  // table's block count.
  const auto& fields = writer->header().fields;
  const size_t size = writer->header().record_size;
  std::vector<uint8_t> records(rows.size() * size, 0);
  for (size_t r = 0; r < rows.size(); ++r) {
    uint8_t* record = records.data() + r * size;
    for (size_t f = 0; f < fields.size(); ++f) {
      std::string detail;
      if (pdx::PutFieldText(fields[f], rows[r][f], record, &detail) != PDX_OK) {
        *error = name + " row " + std::to_string(r + 1) + ": \"" + rows[r][f] + "\" " + detail;
        return false;
      }
    }
    std::string field;
    if (pdx_code code = pdx::CheckRecord(fields, *checks, record, &field); code != PDX_OK) {
      *error = name + " row " + std::to_string(r + 1) + ": " + pdx::CodeText(code) + " " + field;
      return false;
    }
  }
  std::vector<size_t> order(rows.size());
  std::iota(order.begin(), order.end(), 0);
  if (writer->header().IsKeyed()) {
    const pdx::KeyCompare keys(writer->header());
    const int key_fields = writer->header().key_fields;
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
      return keys.Compare(records.data() + a * size, records.data() + b * size, key_fields, 0) < 0;
    });
  }
  for (size_t r : order) {
    if (pdx_code code = writer->Insert(records.data() + r * size, nullptr); code != PDX_OK) {
      *error = name + " row " + std::to_string(r + 1) + ": " + pdx::CodeText(code);
      return false;
    }
  }
  if (writer->CommitBatch() != PDX_OK) return *error = writer->last_error(), false;
  return true;
}

}  // namespace

bool WriteFolioDb(const std::string& directory, int scale, std::string* error) {
  if (scale < 1 || scale > kMaxScale) {
    *error = "the scale must be 1 to " + std::to_string(kMaxScale);
    return false;
  }
  pdx::FileSystem* fs = pdx::FileSystem::Default();
  const Data data = MakeData(scale);
  return WriteTable(fs, directory, kPortf, data.portf, error) &&
         WriteTable(fs, directory, kPortfDet, data.portfdet, error) &&
         WriteTable(fs, directory, kSectrans, data.sectrans, error) &&
         WriteTable(fs, directory, kAccount, data.account, error) &&
         WriteTable(fs, directory, kAcctr, data.acctr, error) &&
         WriteTable(fs, directory, kUpdateSh, data.updatesh, error);
}

}  // namespace foliodb
