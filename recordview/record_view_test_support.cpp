#include "recordview/record_view_test_support.h"

#include <QApplication>
#include <QTest>
#include <QTimer>

#include "app/engine/engine.h"
#include "edit/wwdbedit.h"
#include "recordview/field_memo.h"
#include "recordview/record_view_form.h"

namespace recordview::testing {

void RecordViewTest::SetUp() {
  std::string reason;
  if (!data::testing::StartEngine(&reason)) GTEST_SKIP() << "no table store: " << reason;
  source.SetDataSet(&table);
  dialog.SetDataSource(&source);
}

void RecordViewTest::TearDown() {
  table.Close();
}

void RecordViewTest::MakeTable(const std::string& schema,
                               const std::vector<std::vector<std::string>>& rows) {
  engine::Engine::instance().createTable(directory.Database(), "T", schema);
  table.SetDatabaseName(directory.Database());
  table.SetTableName("T");
  table.Open();
  for (const std::vector<std::string>& row : rows) {
    table.Append();
    for (size_t i = 0; i < row.size(); ++i) {
      if (!row[i].empty()) table.Fields(static_cast<int>(i))->SetAsString(row[i]);
    }
    table.Post();
  }
  table.First();
}

std::string RecordViewTest::Stored(int row, const std::string& field) {
  data::TwwTable reader;
  reader.SetDatabaseName(directory.Database());
  reader.SetTableName(table.TableName());
  reader.Open();
  reader.MoveBy(row - 1);
  return reader.FieldByName(field)->AsString();
}

bool RecordViewTest::ExecuteWith(const std::function<void(TwwRecordViewForm&)>& steps) {
  bool ran = false;
  QTimer::singleShot(0, [&] {
    TwwRecordViewForm* form = dialog.Form();
    if (!form) return;
    form->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(form));
    ran = true;
    steps(*form);
  });
  QTimer watchdog;
  watchdog.setSingleShot(true);
  QObject::connect(&watchdog, &QTimer::timeout, [&] {
    if (TwwRecordViewForm* form = dialog.Form(); form && form->isVisible()) {
      ADD_FAILURE() << "the window stayed open";
      form->QDialog::done(QDialog::Rejected);
    }
  });
  watchdog.start(5000);
  bool result = dialog.Execute();
  EXPECT_TRUE(ran) << "the window was never shown";
  return result;
}

QWidget* RecordViewTest::ControlOf(TwwRecordViewForm& form, const std::string& fieldName) {
  for (const TwwRecordViewForm::EditEntry& entry : form.EditList()) {
    if (auto* edit = qobject_cast<edit::TwwDBEdit*>(entry.control);
        edit && edit->DataField() == fieldName)
      return edit;
    if (auto* memo = qobject_cast<FieldMemo*>(entry.control);
        memo && memo->DataField() == fieldName)
      return memo;
  }
  return nullptr;
}

}  // namespace recordview::testing
