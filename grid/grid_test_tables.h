// Tables for the grid's tests, written by the store into a temporary
// directory, and a grid bound to one of them that measures text with the
// recording canvas's fixed metrics (characters 6 by 13 pixels).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "data/data_source.h"
#include "data/paradox_table_test_support.h"
#include "data/wwtable.h"
#include "grid/wwdbgrid.h"
#include "toolkit/scripted_ui.h"

namespace grid::testing {

// A table from a schema in the store's text form (one field per line: name,
// tab, type) and rows of texts, one per field ("" leaves a field blank).
// False with the reason when the store is not there.
bool CreateTable(const std::string& directory, const std::string& name, const std::string& schema,
                 const std::vector<std::vector<std::string>>& rows, std::string* reason);

class GridOnTable {
 public:
  GridOnTable();
  ~GridOnTable();
  // Opens the table in the grid; false with the reason when it cannot.
  bool Open(const std::string& name, const std::string& schema,
            const std::vector<std::vector<std::string>>& rows, std::string* reason);
  // The data rows' height is 17 pixels with the title row 18: a height for
  // that many whole rows (plus half of one more when half is set).
  static int HeightFor(int rows, bool half = false) { return 18 + rows * 17 + (half ? 8 : 0); }
  std::string Current(const std::string& field) const;

  data::testing::TemporaryDirectory directory;
  toolkit::ScopedScriptedUi ui;
  data::TwwTable table;
  data::TwwDataSource source;
  std::unique_ptr<TwwDBGrid> grid;
};

// Puts the grid on a form (beside the controls its ControlType list names),
// shows and activates the form, and moves to the second column; false with
// the reason when the window cannot be activated. The form must outlive the
// grid, which leaves it when destroyed.
bool ShowOnForm(QWidget& form, TwwDBGrid& grid, std::string* reason);

}  // namespace grid::testing
