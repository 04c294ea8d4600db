// A table written by the store into a temporary directory, a data set open
// on it, and a way to act inside the record view's modal window.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "data/data_source.h"
#include "data/paradox_table_test_support.h"
#include "data/wwtable.h"
#include "recordview/wwrcdvw.h"
#include "toolkit/scripted_ui.h"

namespace recordview::testing {

class RecordViewTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Creates table T with the schema (the store's schema text) and rows of
  // field texts in field order, and opens the data set on its first row.
  void MakeTable(const std::string& schema, const std::vector<std::vector<std::string>>& rows);
  // A field of row number (1-based) of the data set's table as the store now
  // holds it, read by a data set of its own.
  std::string Stored(int row, const std::string& field);

  // Runs Execute; steps run inside the window once it is shown. A window
  // still open a few seconds later is closed, failing the test.
  bool ExecuteWith(const std::function<void(TwwRecordViewForm&)>& steps);

  // The edit box of a field in the open window.
  static QWidget* ControlOf(TwwRecordViewForm& form, const std::string& fieldName);

  data::testing::TemporaryDirectory directory;
  data::TwwTable table;
  data::TwwDataSource source;
  toolkit::ScopedScriptedUi ui;
  TwwRecordViewDialog dialog;
};

}  // namespace recordview::testing
