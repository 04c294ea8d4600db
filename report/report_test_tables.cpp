#include "report_test_tables.h"

#include "app/engine/cursor.h"
#include "app/engine/engine.h"
#include "app/engine/engine_error.h"

namespace report::testing {

ReportTables::ReportTables() {
  data::testing::StartEngine(&unavailable_);
}

std::unique_ptr<data::TwwTable> ReportTables::open(const std::string& name) {
  auto table = std::make_unique<data::TwwTable>();
  table->SetDatabaseName(directory_.Database());
  table->SetTableName(name);
  table->TableType = data::TTableType::ttParadox;
  table->Open();
  return table;
}

std::unique_ptr<data::TwwTable> ReportTables::numbered(int rowCount) {
  const std::string name = "NUMBERS" + std::to_string(++numberedTables_);
  const data::testing::CreatedTable made =
      data::testing::WriteNumberedTable(directory_.Path(), name, rowCount);
  if (!made.created) throw std::runtime_error(made.reason);
  return open(name);
}

std::unique_ptr<data::TwwTable> ReportTables::alpha(
    const std::string& name, const std::vector<std::string>& schemaLines,
    const std::vector<std::vector<std::string>>& rows) {
  std::string schema;
  for (const std::string& line : schemaLines) schema += line + "\n";
  engine::Engine::instance().createTable(directory_.Database(), name, schema);
  {
    engine::Cursor cursor;
    cursor.open(directory_.Database(), name, PDX_OPEN_READ_WRITE);
    std::string record(static_cast<size_t>(cursor.info().record_size), '\0');
    for (const std::vector<std::string>& row : rows) {
      cursor.initRecord(record.data());
      for (std::size_t i = 0; i < row.size(); ++i)
        cursor.putBytes(record.data(), static_cast<int>(i) + 1, row[i]);
      cursor.insertRecord(record.data());
    }
  }
  return open(name);
}

}  // namespace report::testing
