#include "report/xvdbprn.h"

#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>

#include "report/xvdbprn_form.h"

namespace report {
namespace {

TEST(TxvDBPrint, ThePrintManagerTitleFollowsTheNameUntilGivenATextOfItsOwn) {
  TxvDBPrint report;
  EXPECT_EQ(report.PrintMgrTitle, "");
  report.SetName("xvDBPrint1");
  EXPECT_EQ(report.PrintMgrTitle, "xvDBPrint1");
  report.SetName("Statements");
  EXPECT_EQ(report.PrintMgrTitle, "Statements");
  report.PrintMgrTitle = "Monthly statements";
  report.SetName("Other");
  EXPECT_EQ(report.PrintMgrTitle, "Monthly statements");
}

TEST(TxvDBPrint, StoredSettingsOverrideWhatTheyNameAndKeepTheRest) {
  TxvDBPrint report;
  const QJsonObject stored = QJsonDocument::fromJson(R"({
      "name": "xvDBPrint1", "TopMargin": 100, "RowLines": true,
      "TitleFont": {"Name": "Arial", "Height": -16, "Charset": "GREEK_CHARSET",
                    "Color": "clWindowText", "Style": "[fsBold]"},
      "Header": "Myreport today", "HeaderAlignment": "taRightJustify",
      "PageNumberPos": "pnTopCenter", "DatePos": "pnNone"})")
                                 .object();
  ReadStoredSettings(report, stored);
  EXPECT_EQ(report.Name(), "xvDBPrint1");
  EXPECT_EQ(report.PrintMgrTitle, "xvDBPrint1");
  EXPECT_EQ(report.TopMargin, 100);
  EXPECT_EQ(report.LeftMargin, 40);
  EXPECT_TRUE(report.RowLines);
  EXPECT_TRUE(report.ColLines);
  EXPECT_EQ(report.TitleFont().name, "Arial");
  EXPECT_EQ(report.TitleFont().height, -16);
  EXPECT_EQ(report.TitleFont().charset, 161);
  EXPECT_TRUE(report.TitleFont().bold);
  EXPECT_EQ(report.RecordFont(), toolkit::defaultFont());
  EXPECT_EQ(report.Header, "Myreport today");
  EXPECT_EQ(report.HeaderAlignment, TAlignment::taRightJustify);
  EXPECT_EQ(report.PageNumberPos, TPageNumberPos::pnTopCenter);
  EXPECT_EQ(report.DatePos, TPageNumberPos::pnNone);
  EXPECT_EQ(report.PageNumberLabel, "Page ");
  EXPECT_EQ(report.ToPage, 100);
  EXPECT_EQ(report.VerticalGapPct, 20);
}

}  // namespace
}  // namespace report
