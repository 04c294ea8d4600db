// The run into a report file: 66 records a page, a tab after every value,
// CR LF line ends, the table's bytes as stored; and what is left on disk
// when a run cannot finish.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "report/report_progress.h"
#include "report/report_test_tables.h"
#include "report/xvdbprn.h"
#include "toolkit/scripted_ui.h"

namespace report {
namespace {

namespace fs = std::filesystem;

std::string contentsOf(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// The lines a page of the numbered table begins with.
std::string pageStart(const std::string& header) {
  return header + "\r\nID\tNAME\tAMOUNT\t\r\n";
}

std::string numberedLine(int i) {
  std::ostringstream line;
  line << i << "\tName" << i << '\t' << i * 1.5 << "\t\r\n";
  return line.str();
}

class StopAtOnce : public ReportProgress {
 public:
  void begin(const ProgressFigures&) override {}
  void update(const ProgressFigures&) override {}
  bool stopRequested() const override { return true; }
  void end() override {}
};

class ReportFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!tables_.unavailable().empty()) GTEST_SKIP() << tables_.unavailable();
    report_.PrintToFile = true;
    report_.Header = "Portfolios";
    report_.PrintFileName = file_.string();
    report_.SetProgressFactory([] { return std::unique_ptr<ReportProgress>(); });
  }

  // Nothing but the report itself is left in the folder.
  std::vector<std::string> filesBeside() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder_))
      names.push_back(entry.path().filename().string());
    return names;
  }

  testing::ReportTables tables_;
  toolkit::ScopedScriptedUi ui_;
  TxvDBPrint report_;
  data::testing::TemporaryDirectory out_;
  fs::path folder_ = out_.Path();
  fs::path file_ = folder_ / "report.txt";
};

TEST_F(ReportFileTest, SixtySixRecordsMakeAPageAndTheSixtySeventhStartsTheNext) {
  auto table = tables_.numbered(67);
  report_.Table = table.get();
  report_.Print();
  std::string expected = pageStart("Portfolios");
  for (int i = 1; i <= 66; ++i) expected += numberedLine(i);
  expected += pageStart("Portfolios") + numberedLine(67);
  EXPECT_EQ(contentsOf(file_), expected);
  EXPECT_EQ(filesBeside(), std::vector<std::string>{"report.txt"});

  // Exactly one page: no second header.
  auto one = tables_.numbered(66);
  report_.Table = one.get();
  report_.Header.clear();
  report_.Print();
  expected = pageStart("");
  for (int i = 1; i <= 66; ++i) expected += numberedLine(i);
  EXPECT_EQ(contentsOf(file_), expected) << "an earlier file is replaced";
}

TEST_F(ReportFileTest, OnlyPagesInRangeAreWrittenAndAnEmptyTableGivesAnEmptyFile) {
  auto table = tables_.numbered(140);
  report_.Table = table.get();
  report_.FromPage = 2;
  report_.ToPage = 2;
  report_.Print();
  std::string expected = pageStart("Portfolios");
  for (int i = 67; i <= 132; ++i) expected += numberedLine(i);
  EXPECT_EQ(contentsOf(file_), expected);

  auto empty = tables_.numbered(0);
  report_.Table = empty.get();
  report_.Print();
  EXPECT_TRUE(fs::exists(file_));
  EXPECT_EQ(contentsOf(file_), "");
}

TEST_F(ReportFileTest, TheTablesTextIsWrittenAsStoredAndEveryVisibleColumnHasItsPlace) {
  // Code page 850 bytes ("Caf\x82" is "Café"), and more columns than a page
  // could ever show.
  std::vector<std::string> schema;
  std::vector<std::string> row;
  for (int i = 1; i <= 120; ++i) {
    schema.push_back("F" + std::to_string(i) + "\tA4");
    row.push_back(i == 1 ? "Caf\x82" : std::to_string(i));
  }
  auto table = tables_.alpha("WIDE", schema, {row});
  table->Fields(1)->SetVisible(false);
  report_.Table = table.get();
  report_.Print();
  const std::string text = contentsOf(file_);
  std::string titles = "F1\t";
  std::string values = "Caf\x82\t";
  for (int i = 3; i <= 120; ++i) {
    titles += "F" + std::to_string(i) + "\t";
    values += std::to_string(i) + "\t";
  }
  EXPECT_EQ(text, "Portfolios\r\n" + titles + "\r\n" + values + "\r\n");
}

TEST_F(ReportFileTest, AHeaderTheTablesCodePageCannotHoldFailsTheRunAndLeavesTheEarlierFile) {
  { std::ofstream(file_) << "earlier"; }
  auto table = tables_.numbered(3);
  report_.Table = table.get();
  report_.Header = "\xD0\x9F\xD0\xBE\xD1\x80\xD1\x82";  // Cyrillic, which code page 850 lacks
  try {
    report_.Print();
    ADD_FAILURE() << "no failure";
  } catch (const std::runtime_error& error) {
    EXPECT_NE(std::string(error.what()).find("U+041F"), std::string::npos) << error.what();
  }
  EXPECT_EQ(contentsOf(file_), "earlier");
  EXPECT_EQ(filesBeside(), std::vector<std::string>{"report.txt"});
}

TEST_F(ReportFileTest, AFileThatCannotBeMadeFailsBeforeAnythingElse) {
  auto table = tables_.numbered(3);
  table->Next();
  report_.Table = table.get();
  for (const std::string& name :
       {std::string(), (folder_ / "no-such-folder" / "r.txt").string(), folder_.string()}) {
    SCOPED_TRACE(name);
    report_.PrintFileName = name;
    try {
      report_.Print();
      ADD_FAILURE() << "no failure";
    } catch (const std::runtime_error& error) {
      EXPECT_STREQ(error.what(), "Error creating report.");
    }
    EXPECT_TRUE(ui_.cursorHistory.empty());
    EXPECT_EQ(table->FieldByName("ID")->AsInteger(), 2);
  }
  EXPECT_TRUE(filesBeside().empty());
}

TEST_F(ReportFileTest, AStoppedRunLeavesTheEarlierFileAndNoPartOfTheNewOne) {
  { std::ofstream(file_) << "earlier"; }
  auto table = tables_.numbered(100);
  table->MoveBy(9);
  report_.Table = table.get();
  report_.SetProgressFactory([] { return std::unique_ptr<ReportProgress>(new StopAtOnce); });
  report_.YieldInterval = std::chrono::milliseconds(0);
  report_.Print();
  EXPECT_TRUE(report_.LastRunStopped());
  EXPECT_EQ(contentsOf(file_), "earlier");
  EXPECT_EQ(filesBeside(), std::vector<std::string>{"report.txt"});
  EXPECT_EQ(table->FieldByName("ID")->AsInteger(), 10);
}

TEST_F(ReportFileTest, AFailedWriteIsReportedAndLeavesTheEarlierFileWithTheTableOnItsRow) {
  { std::ofstream(file_) << "earlier"; }
  auto table = tables_.numbered(300);
  table->MoveBy(4);
  report_.Table = table.get();
  // A file size limit makes the writes fail as a full disk does.
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  struct sigaction previous {};
  sigaction(SIGXFSZ, &ignore, &previous);
  rlimit limit{};
  getrlimit(RLIMIT_FSIZE, &limit);
  const rlimit small{4000, limit.rlim_max};
  setrlimit(RLIMIT_FSIZE, &small);
  std::string message;
  try {
    report_.Print();
  } catch (const std::runtime_error& error) {
    message = error.what();
  }
  setrlimit(RLIMIT_FSIZE, &limit);
  sigaction(SIGXFSZ, &previous, nullptr);

  EXPECT_EQ(message, "Cannot write the report file " + file_.string() + ": File too large.");
  EXPECT_EQ(contentsOf(file_), "earlier");
  EXPECT_EQ(filesBeside(), std::vector<std::string>{"report.txt"});
  EXPECT_EQ(table->FieldByName("ID")->AsInteger(), 5);
  EXPECT_FALSE(table->ControlsDisabled());
  EXPECT_EQ(ui_.cursorShape, toolkit::CursorShape::kArrow);
}

}  // namespace
}  // namespace report
