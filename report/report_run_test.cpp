// The printed run on the recording printer: fixed metrics (at 600 dots per
// inch an 8-point character is 34 by 83 dots, a 12-point one 50 by 125), so
// every place below is worked out by hand from the page rules.
#include <gtest/gtest.h>

#include <stdexcept>

#include "report/report_progress.h"
#include "report/report_test_tables.h"
#include "report/xvdbprn.h"
#include "toolkit/forwarding_printer.h"
#include "toolkit/printer.h"
#include "toolkit/scripted_ui.h"

namespace report {
namespace {

using toolkit::CanvasCall;
using toolkit::Point;
using toolkit::Rect;
using toolkit::TextAnchor;
using Kind = toolkit::CanvasCall::Kind;

// What a run told its progress display, kept beyond the run.
struct ProgressLog {
  ProgressFigures first, last;
  bool ended = false;
};

// Asks the run to stop after a number of updates.
class StoppingProgress : public ReportProgress {
 public:
  StoppingProgress(ProgressLog& log, int updatesBeforeStop) : log_(log), left_(updatesBeforeStop) {}
  void begin(const ProgressFigures& figures) override { log_.first = figures; }
  void update(const ProgressFigures& figures) override {
    log_.last = figures;
    --left_;
  }
  bool stopRequested() const override { return left_ <= 0; }
  void end() override { log_.ended = true; }

 private:
  ProgressLog& log_;
  int left_;
};

// A printer whose paper jams when the given sheet is started.
class JammingPrinter : public toolkit::RecordingPrinter {
 public:
  JammingPrinter() : RecordingPrinter(4800, 6600, 600) {}
  void newPage() override { throw std::runtime_error("Paper jam"); }
};

class ReportRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!tables_.unavailable().empty()) GTEST_SKIP() << tables_.unavailable();
    // The main window's settings.
    report_.SetName("xvDBPrint1");
    report_.TopMargin = 100;
    report_.RowLines = true;
    toolkit::FontSpec title;
    title.name = "Arial";
    title.height = -16;
    title.charset = 161;
    report_.SetTitleFont(title);
    report_.Header = "Portfolios";
    report_.DateLabel = "12/8/2026";
    report_.SetPrinterFactory([this](const TxvDBPrint&) {
      return std::unique_ptr<toolkit::PrinterService>(
          std::make_unique<toolkit::ForwardingPrinter>(printer_ ? *printer_ : recording_));
    });
    report_.SetProgressFactory([] { return std::unique_ptr<ReportProgress>(); });
  }

  std::vector<CanvasCall> calls(Kind kind) { return recording_.recording().callsOf(kind); }
  // The texts drawn by textRect on sheet `sheet` (from 0).
  std::vector<std::string> sheetTexts(std::size_t sheet) {
    const auto& all = recording_.recording().calls();
    const auto& starts = recording_.pageStarts();
    const std::size_t end = sheet + 1 < starts.size() ? starts[sheet + 1] : all.size();
    std::vector<std::string> texts;
    for (std::size_t i = starts.at(sheet); i < end; ++i)
      if (all[i].kind == Kind::kTextRect || all[i].kind == Kind::kTextOut)
        texts.push_back(all[i].text);
    return texts;
  }

  testing::ReportTables tables_;
  toolkit::ScopedScriptedUi ui_;
  TxvDBPrint report_;
  toolkit::RecordingPrinter recording_{4800, 6600, 600};
  toolkit::PrinterService* printer_ = nullptr;
};

TEST_F(ReportRunTest, TheFirstPageStandsWhereThePageRulesPutIt) {
  auto table = tables_.numbered(3);
  report_.Table = table.get();
  report_.Print();

  EXPECT_EQ(recording_.steps(), (std::vector<std::string>{"title xvDBPrint1", "begin", "end"}));
  const std::vector<CanvasCall> texts = calls(Kind::kTextOut);
  ASSERT_EQ(texts.size(), 3u);
  // Date and page number rest on the bottom margin: 6600 - 40 - 83.
  EXPECT_EQ(texts[0].text, "12/8/2026");
  EXPECT_EQ(texts[0].from, (Point{50, 6477}));
  EXPECT_EQ(texts[0].anchor, TextAnchor::kLeft);
  EXPECT_EQ(texts[1].text, "Page 1");
  EXPECT_EQ(texts[1].from, (Point{2400, 6477}));
  EXPECT_EQ(texts[1].anchor, TextAnchor::kCenter);
  EXPECT_EQ(texts[1].font.name, "MS Sans Serif");
  // The title stands its "X" height above the top margin, in the title font.
  EXPECT_EQ(texts[2].text, "Portfolios");
  EXPECT_EQ(texts[2].from, (Point{2400, 100 - 125}));
  EXPECT_EQ(texts[2].font.name, "Arial");

  // Top band 150 and title line 150 below the margin of 100; columns of
  // 11, 20 and 10 characters (the labels are narrower), one gap each, the
  // first one dot in for the frame: edges 1, 385, 1075, 1425.
  const std::vector<CanvasCall> frames = calls(Kind::kRectangle);
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(frames[0].rect, (Rect{40, 250, 1465, 400 + 3 * 100 + 10}));
  const std::vector<CanvasCall> lines = calls(Kind::kLine);
  ASSERT_EQ(lines.size(), 2u + 1u + 3u);
  EXPECT_EQ(lines[0].from, (Point{425, 400}));
  EXPECT_EQ(lines[0].to, (Point{425, 710}));
  EXPECT_EQ(lines[1].from, (Point{1115, 400}));
  // Row lines: under the titles and atop every record line.
  EXPECT_EQ(lines[2].from, (Point{40, 400}));
  EXPECT_EQ(lines[2].to, (Point{1465, 400}));
  EXPECT_EQ(lines[3].from, (Point{40, 400}));
  EXPECT_EQ(lines[5].from, (Point{40, 600}));

  const std::vector<CanvasCall> cells = calls(Kind::kTextRect);
  ASSERT_EQ(cells.size(), 3u + 9u);
  // Titles: top 250 + (100 - 83) / 2 + 20 / 2, box down to 400 - 20.
  EXPECT_EQ(cells[0].text, "ID");
  EXPECT_EQ(cells[0].rect, (Rect{51, 268, 415, 380}));
  EXPECT_EQ(cells[0].from, (Point{233, 268}));
  EXPECT_EQ(cells[0].anchor, TextAnchor::kCenter);
  EXPECT_EQ(cells[1].text, "NAME");
  EXPECT_EQ(cells[1].from, (Point{770, 268}));
  EXPECT_EQ(cells[2].rect, (Rect{1125, 268, 1455, 380}));
  // Records: lines of 100 from 400, text 8 dots down, by the field's alignment.
  EXPECT_EQ(cells[3].text, "1");
  EXPECT_EQ(cells[3].rect, (Rect{51, 408, 415, 500}));
  EXPECT_EQ(cells[3].from, (Point{415, 408}));
  EXPECT_EQ(cells[3].anchor, TextAnchor::kRight);
  EXPECT_EQ(cells[4].text, "Name1");
  EXPECT_EQ(cells[4].from, (Point{435, 408}));
  EXPECT_EQ(cells[4].anchor, TextAnchor::kLeft);
  EXPECT_EQ(cells[5].text, "1.5");
  EXPECT_EQ(cells[5].from, (Point{1455, 408}));
  EXPECT_EQ(cells[11].text, "4.5");
  EXPECT_EQ(cells[11].rect, (Rect{1125, 608, 1455, 700}));
  EXPECT_EQ(cells[11].font.name, "MS Sans Serif");
}

TEST_F(ReportRunTest, WithoutAHeaderOrTopFurnitureTheTitlesStartAtTheMarginAndNoFrameMeansNoDot) {
  auto table = tables_.numbered(2);
  report_.Table = table.get();
  report_.Header.clear();
  report_.Border = false;
  report_.ColLines = false;
  report_.Print();

  EXPECT_TRUE(calls(Kind::kRectangle).empty());
  ASSERT_EQ(calls(Kind::kTextOut).size(), 2u);
  const std::vector<CanvasCall> cells = calls(Kind::kTextRect);
  // Title line from 100 to 250; the first column starts right at the margin.
  EXPECT_EQ(cells[0].rect, (Rect{50, 118, 414, 230}));
  EXPECT_EQ(cells[3].rect, (Rect{50, 258, 414, 350}));
  EXPECT_EQ(calls(Kind::kLine)[0].to, (Point{40 + 1424, 250}));
}

TEST_F(ReportRunTest, TopFurnitureMakesATopBandAndPageTwelveCarriesItsTwoDigits) {
  auto table = tables_.numbered(680);
  report_.Table = table.get();
  report_.Header.clear();
  report_.DatePos = TPageNumberPos::pnTopRight;
  report_.PageNumberPos = TPageNumberPos::pnTopLeft;
  report_.FromPage = 12;
  report_.ToPage = 12;
  report_.Print();
  const std::vector<CanvasCall> texts = calls(Kind::kTextOut);
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[0].from, (Point{4750, 100}));
  EXPECT_EQ(texts[0].anchor, TextAnchor::kRight);
  EXPECT_EQ(texts[1].text, "Page 12");
  EXPECT_EQ(texts[1].from, (Point{50, 100}));
  // A band of one line of the footer font (100) above the title line; with
  // nothing at the foot a page holds 61 records, so page 12 starts at row 672.
  const std::vector<CanvasCall> cells = calls(Kind::kTextRect);
  EXPECT_EQ(cells[0].rect.top, 200 + 8 + 10);
  EXPECT_EQ(cells[3].text, "672");
  EXPECT_EQ(cells[3].rect.top, 350 + 8);
}

TEST_F(ReportRunTest, TheGapPercentageIsHeldForLinesButEntersTheFrameAndTitlesAsDots) {
  auto table = tables_.numbered(2);
  report_.Table = table.get();
  struct Case {
    int pct;
    int rowHeight;   // of an 83-dot text
    int titleLine;   // of a 125-dot text
    int textOffset;  // of the record text in its line
  };
  for (const Case c : {Case{0, 83, 125, 0}, Case{150, 166, 250, 41}, Case{-5, 83, 125, 0}}) {
    SCOPED_TRACE(c.pct);
    recording_.recording().clear();
    report_.VerticalGapPct = c.pct;
    report_.Print();
    const int firstRowTop = 100 + c.titleLine + c.titleLine;
    const std::vector<CanvasCall> cells = calls(Kind::kTextRect);
    ASSERT_EQ(cells.size(), 9u);
    EXPECT_EQ(cells[6].rect.top, firstRowTop + c.rowHeight + c.textOffset);
    EXPECT_EQ(cells[6].rect.bottom, firstRowTop + 2 * c.rowHeight);
    EXPECT_EQ(cells[0].rect.bottom, firstRowTop - c.pct);
    EXPECT_EQ(calls(Kind::kRectangle)[0].rect.bottom, firstRowTop + 2 * c.rowHeight + c.pct / 2);
  }
}

TEST_F(ReportRunTest, PagesTakeSixtyRecordsAndAnExactlyFullLastPageStartsNoEmptySheet) {
  auto table = tables_.numbered(120);
  report_.Table = table.get();
  report_.Print();
  EXPECT_EQ(recording_.steps(),
            (std::vector<std::string>{"title xvDBPrint1", "begin", "new page", "end"}));
  const std::vector<std::string> second = sheetTexts(1);
  EXPECT_EQ(second[1], "Page 2");
  EXPECT_EQ(second[6], "61") << "the second sheet starts with row 61";
  EXPECT_EQ(second.back(), "180");
  // The frame of a table longer than a page ends a top margin above the bottom one.
  EXPECT_EQ(calls(Kind::kRectangle)[1].rect.bottom, 6600 - 40 - 100);
}

TEST_F(ReportRunTest, PagesBeforeFromPageTakeTheirRecordsAndPagesAfterToPageAreNotMade) {
  auto table = tables_.numbered(200);
  report_.Table = table.get();
  report_.FromPage = 3;
  report_.ToPage = 3;
  report_.Print();
  EXPECT_EQ(recording_.steps(), (std::vector<std::string>{"title xvDBPrint1", "begin", "end"}));
  const std::vector<std::string> sheet = sheetTexts(0);
  EXPECT_EQ(sheet[1], "Page 3");
  EXPECT_EQ(sheet[6], "121");
  EXPECT_EQ(sheet.back(), "270") << "page 3 holds rows 121 to 180";

  recording_.recording().clear();
  report_.FromPage = 4;
  report_.ToPage = 2;
  report_.Print();
  EXPECT_TRUE(recording_.recording().calls().empty());
}

TEST_F(ReportRunTest, AnEmptyTableBeginsAndEndsTheJobWithNothingDrawn) {
  auto table = tables_.numbered(0);
  report_.Table = table.get();
  report_.Print();
  EXPECT_EQ(recording_.steps(), (std::vector<std::string>{"title xvDBPrint1", "begin", "end"}));
  EXPECT_TRUE(recording_.recording().calls().empty());
  EXPECT_EQ(ui_.cursorShape, toolkit::CursorShape::kArrow);
}

TEST_F(ReportRunTest, AReportWiderThanThePaperWarnsOnceUnderTheArrowAndGoesOn) {
  auto table = tables_.numbered(130);
  report_.Table = table.get();
  toolkit::RecordingPrinter narrow(1400, 6600, 600);  // printable 1320 < 1425
  printer_ = &narrow;
  report_.Print();
  ASSERT_EQ(ui_.shown.size(), 1u);
  EXPECT_EQ(ui_.shown[0].text, "Report width is greater than paper width.");
  EXPECT_EQ(ui_.shown[0].kind, toolkit::MessageKind::kWarning);
  EXPECT_EQ(ui_.shown[0].buttons, toolkit::MessageButtons::kOk);
  using toolkit::CursorShape;
  EXPECT_EQ(ui_.cursorHistory,
            (std::vector<CursorShape>{CursorShape::kHourGlass, CursorShape::kArrow,
                                      CursorShape::kHourGlass, CursorShape::kArrow}));
  EXPECT_EQ(narrow.pageStarts().size(), 3u) << "the run went on to all three pages";
}

TEST_F(ReportRunTest, TheTableComesBackToItsRowAfterSuccessFailureAndStop) {
  auto table = tables_.numbered(130);
  report_.Table = table.get();
  auto atRow40 = [&] {
    table->First();
    table->MoveBy(39);
    ASSERT_EQ(table->FieldByName("ID")->AsInteger(), 40);
  };
  auto backAtRow40 = [&] {
    EXPECT_EQ(table->FieldByName("ID")->AsInteger(), 40);
    EXPECT_FALSE(table->ControlsDisabled());
    EXPECT_EQ(ui_.cursorShape, toolkit::CursorShape::kArrow);
  };

  atRow40();
  report_.Print();
  backAtRow40();

  // A printer failing halfway: the failure reaches the caller and the job is
  // ended with what was drawn.
  atRow40();
  JammingPrinter jamming;
  printer_ = &jamming;
  try {
    report_.Print();
    ADD_FAILURE() << "the jam was not reported";
  } catch (const std::runtime_error& error) {
    EXPECT_STREQ(error.what(), "Paper jam");
  }
  EXPECT_EQ(jamming.steps().back(), "end");
  backAtRow40();

  // Stopped by the user: the job is dropped.
  atRow40();
  printer_ = nullptr;
  ProgressLog progress;
  const int yieldsBefore = ui_.processEventsCalls;
  report_.YieldInterval = std::chrono::milliseconds(0);
  report_.SetProgressFactory(
      [&progress] { return std::unique_ptr<ReportProgress>(new StoppingProgress(progress, 5)); });
  report_.Print();
  EXPECT_TRUE(report_.LastRunStopped());
  EXPECT_EQ(recording_.steps().back(), "abort");
  EXPECT_TRUE(progress.ended);
  EXPECT_EQ(progress.first.recordsTotal, 130);
  EXPECT_EQ(progress.first.pagesTotal, 3);
  EXPECT_EQ(progress.last.recordsDone, 5);
  EXPECT_EQ(ui_.processEventsCalls - yieldsBefore, 5)
      << "the window is let through after every record";
  backAtRow40();
}

// Moves the table while the report lets the window have its turn, as a
// search box's timer firing then would.
class MovingUi : public toolkit::ScopedScriptedUi {
 public:
  void processEvents() override {
    ScopedScriptedUi::processEvents();
    if (table) table->First();
  }
  data::TDataSet* table = nullptr;
};

TEST_F(ReportRunTest, AMoveOfTheTableWhileTheWindowHasItsTurnDoesNotDisturbTheWalk) {
  auto table = tables_.numbered(70);
  report_.Table = table.get();
  report_.YieldInterval = std::chrono::milliseconds(0);
  MovingUi moving;
  moving.table = table.get();
  report_.Print();
  moving.table = nullptr;
  std::vector<std::string> ids;
  for (std::size_t sheet = 0; sheet < 2; ++sheet) {
    const std::vector<std::string> texts = sheetTexts(sheet);
    for (std::size_t i = 6; i < texts.size(); i += 3) ids.push_back(texts[i]);
  }
  ASSERT_EQ(ids.size(), 70u);
  EXPECT_EQ(ids[1], "2");
  EXPECT_EQ(ids[69], "70");
}

TEST_F(ReportRunTest, APrinterThatWritesAFileIsNamedInAnInformationBoxUnlessStopped) {
  auto table = tables_.numbered(3);
  report_.Table = table.get();
  recording_.setOutputFile("/tmp/Portfolios 2026-12-08.pdf");
  report_.Print();
  EXPECT_EQ(report_.LastOutputFile(), "/tmp/Portfolios 2026-12-08.pdf");
  ASSERT_EQ(ui_.shown.size(), 1u);
  EXPECT_EQ(ui_.shown[0].kind, toolkit::MessageKind::kInformation);
  EXPECT_NE(ui_.shown[0].text.find("/tmp/Portfolios 2026-12-08.pdf"), std::string::npos);

  // A failing file printer drops the file rather than leave half of it.
  JammingPrinter jamming;
  jamming.setOutputFile("/tmp/x.pdf");
  printer_ = &jamming;
  auto longer = tables_.numbered(70);
  report_.Table = longer.get();
  EXPECT_THROW(report_.Print(), std::runtime_error);
  EXPECT_EQ(jamming.steps().back(), "abort");
  EXPECT_EQ(ui_.shown.size(), 1u);
}

TEST_F(ReportRunTest, FailuresBeforeTheWalkLeaveEverythingAsItWas) {
  bool asked = false;
  report_.SetPrinterFactory([&asked](const TxvDBPrint&) {
    asked = true;
    return std::unique_ptr<toolkit::PrinterService>();
  });
  try {
    report_.Print();
    ADD_FAILURE();
  } catch (const std::runtime_error& error) {
    EXPECT_STREQ(error.what(), "Dataset property was not specified.");
  }
  EXPECT_FALSE(asked);

  auto table = tables_.numbered(3);
  table->Next();
  report_.Table = table.get();
  report_.SetPrinterFactory([this](const TxvDBPrint&) {
    recording_.failNextBegin("No default printer");
    return std::unique_ptr<toolkit::PrinterService>(
        std::make_unique<toolkit::ForwardingPrinter>(recording_));
  });
  EXPECT_THROW(report_.Print(), std::runtime_error);
  EXPECT_EQ(table->FieldByName("ID")->AsInteger(), 2);
  EXPECT_TRUE(ui_.cursorHistory.empty());
}

TEST_F(ReportRunTest, TheTablesTextReachesThePrinterAsUnicode) {
  // Tables of the store are in code page 850, where 0x82 is "é" and 0x9C "£".
  auto table = tables_.alpha("TEXTS", {"NAME\tA10"},
                             {{"Caf\x82"},
                              {"\x9C"
                               "5"}});
  report_.Table = table.get();
  report_.Print();
  const std::vector<CanvasCall> cells = calls(Kind::kTextRect);
  ASSERT_EQ(cells.size(), 3u);
  EXPECT_EQ(cells[1].text, "Caf\xC3\xA9");
  EXPECT_EQ(cells[2].text,
            "\xC2\xA3"
            "5");
  // The column is as wide as its ten characters, whatever their encoding.
  EXPECT_EQ(cells[1].rect.right - cells[1].rect.left, 10 * 34 + 10 - 20);
}

}  // namespace
}  // namespace report
