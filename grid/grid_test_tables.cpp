#include "grid/grid_test_tables.h"

#include <QApplication>
#include <QTest>

#include "app/engine/cursor.h"
#include "app/engine/engine.h"
#include "app/engine/engine_error.h"
#include "toolkit/recording_canvas.h"

namespace grid::testing {

bool CreateTable(const std::string& directory, const std::string& name, const std::string& schema,
                 const std::vector<std::vector<std::string>>& rows, std::string* reason) {
  if (!data::testing::StartEngine(reason)) return false;
  try {
    engine::Engine::instance().createTable(directory, name, schema);
    engine::Cursor cursor;
    cursor.open(directory, name, PDX_OPEN_READ_WRITE);
    std::string record(static_cast<size_t>(cursor.info().record_size), '\0');
    for (const std::vector<std::string>& row : rows) {
      cursor.initRecord(record.data());
      for (size_t i = 0; i < row.size(); ++i) {
        const int field = static_cast<int>(i) + 1;
        if (row[i].empty()) continue;
        const char type = cursor.fieldDesc(field).type;
        if (type == 'M' || type == 'B' || type == 'F' || type == 'G' || type == 'O')
          cursor.blobWrite(record.data(), field, row[i]);
        else
          cursor.putText(record.data(), field, row[i]);
      }
      cursor.insertRecord(record.data());
    }
  } catch (const engine::EngineError& error) {
    *reason = error.what();
    return false;
  }
  return true;
}

GridOnTable::GridOnTable() : grid(std::make_unique<TwwDBGrid>()) {
  grid->SetMeasureCanvas(std::make_unique<toolkit::RecordingCanvas>());
  table.TableType = data::TTableType::ttParadox;
  source.SetDataSet(&table);
  grid->SetDataSource(&source);
}

GridOnTable::~GridOnTable() {
  grid.reset();
  table.Close();
}

bool GridOnTable::Open(const std::string& name, const std::string& schema,
                       const std::vector<std::vector<std::string>>& rows, std::string* reason) {
  if (!CreateTable(directory.Database(), name, schema, rows, reason)) return false;
  table.SetDatabaseName(directory.Database());
  table.SetTableName(name);
  table.Open();
  grid->show();
  grid->activateWindow();
  if (!QTest::qWaitForWindowActive(grid.get())) {
    *reason = "the grid's window does not become active";
    return false;
  }
  grid->setFocus();
  return true;
}

std::string GridOnTable::Current(const std::string& field) const {
  return table.FieldByName(field)->AsString();
}

bool ShowOnForm(QWidget& form, TwwDBGrid& grid, std::string* reason) {
  grid.setParent(&form);
  grid.setGeometry(0, 0, 300, GridOnTable::HeightFor(4));
  grid.show();
  form.resize(320, 200);
  form.show();
  form.activateWindow();
  if (!QTest::qWaitForWindowActive(&form)) {
    *reason = "the window could not be activated";
    return false;
  }
  grid.setFocus();
  QTest::keyClick(&grid, Qt::Key_Right);
  return true;
}

}  // namespace grid::testing
