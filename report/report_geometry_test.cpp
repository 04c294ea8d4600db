#include "report_geometry.h"

#include <gtest/gtest.h>

namespace report {
namespace {

using toolkit::TextAnchor;

TEST(ReportGeometry, LineHeightAddsTheGapShareRoundedAndHeldToWholePercentages) {
  EXPECT_EQ(lineHeight(83, 20), 100);  // 16.6 rounds up
  EXPECT_EQ(lineHeight(13, 20), 16);   // 2.6
  EXPECT_EQ(lineHeight(15, 10), 17);   // 1.5: a half goes away from zero
  EXPECT_EQ(lineHeight(83, 0), 83);
  EXPECT_EQ(lineHeight(83, 150), 166) << "above 100 counts as 100";
  EXPECT_EQ(lineHeight(83, -5), 83) << "below 0 counts as 0";
}

TEST(ReportGeometry, TextSitsInTheMiddleOfItsLineWithTheOddDotBelow) {
  EXPECT_EQ(textTopInLine(1000, 83, 20), 1008);  // 17 spare dots: 8 above
  EXPECT_EQ(textTopInLine(1000, 83, 0), 1000);
  EXPECT_EQ(textTopInLine(1000, 83, -5), 1000);
}

TEST(ReportGeometry, CentredTextAnchorsOnTheMiddleRoundedHalfToEven) {
  EXPECT_EQ(anchorIn(0, 11, Horizontal::kCenter, 10), (Anchor{6, TextAnchor::kCenter}));
  EXPECT_EQ(anchorIn(0, 13, Horizontal::kCenter, 10), (Anchor{6, TextAnchor::kCenter}));
  EXPECT_EQ(anchorIn(1, 12, Horizontal::kCenter, 10), (Anchor{6, TextAnchor::kCenter}));
  EXPECT_EQ(anchorIn(40, 4760, Horizontal::kCenter, 10), (Anchor{2400, TextAnchor::kCenter}));
  EXPECT_EQ(anchorIn(-7, 0, Horizontal::kCenter, 10), (Anchor{-4, TextAnchor::kCenter}));
  EXPECT_EQ(anchorIn(40, 300, Horizontal::kLeft, 10), (Anchor{50, TextAnchor::kLeft}));
  EXPECT_EQ(anchorIn(40, 300, Horizontal::kRight, 10), (Anchor{290, TextAnchor::kRight}));
}

TEST(ReportGeometry, AColumnIsItsWiderContentPlusOneGapAndTheFrameMovesTheFirstOneDotIn) {
  // A label of 5 characters at 50 dots in the title font against a display
  // width of 4 characters of 34 dots, then a label narrower than its width.
  const std::vector<ColumnContent> columns{{250, 4}, {100, 10}};
  EXPECT_EQ(columnEdges(columns, 34, 10, true), (std::vector<int>{1, 261, 611}));
  EXPECT_EQ(columnEdges(columns, 34, 10, false), (std::vector<int>{0, 260, 610}));
  EXPECT_EQ(columnEdges({}, 34, 10, true), (std::vector<int>{1}));
}

// A page of 4800 by 6600 dots with the main window's margins (100 at the
// top), a title line of 150 and record lines of 100.
PageSettings windowPage() {
  PageSettings page;
  page.pageWidth = 4800;
  page.pageHeight = 6600;
  page.leftMargin = 40;
  page.topMargin = 100;
  page.rightMargin = 40;
  page.bottomMargin = 40;
  page.verticalGapPct = 20;
  page.topBand = true;
  page.topBandHeight = 150;
  page.titleHeight = 150;
  page.rowHeight = 100;
  return page;
}

TEST(ReportGeometry, BandsFollowTheTopBandAndTheFrameClosesBelowTheLastRecord) {
  PageSettings page = windowPage();
  PageBands bands = pageBands(page, 3);
  EXPECT_EQ(bands.titleLineTop, 250);
  EXPECT_EQ(bands.firstRowTop, 400);
  EXPECT_EQ(bands.frameBottom, 400 + 300 + 10);
  EXPECT_EQ(recordLineTop(bands, 100, 2), 600);

  page.topBand = false;
  bands = pageBands(page, 3);
  EXPECT_EQ(bands.titleLineTop, 100) << "without a top band the titles start at the margin";
  EXPECT_EQ(bands.firstRowTop, 250);

  page.verticalGapPct = -5;
  EXPECT_EQ(pageBands(page, 3).frameBottom, 250 + 300 - 2) << "-5 enters as -2 dots";
  page.verticalGapPct = 150;
  EXPECT_EQ(pageBands(page, 3).frameBottom, 250 + 300 + 75);
}

TEST(ReportGeometry, TheFrameOfALongTableStopsATopMarginAboveTheBottomMargin) {
  const PageSettings page = windowPage();
  EXPECT_EQ(pageBands(page, 1'000'000).frameBottom, 6600 - 40 - 100);
  // 61 records reach 400 + 6100 + 10 = 6510 > 6460.
  EXPECT_EQ(pageBands(page, 61).frameBottom, 6460);
  EXPECT_EQ(pageBands(page, 60).frameBottom, 6410);
}

TEST(ReportGeometry, APageIsFullWhenTheNextRecordLineWouldPassTheFrameOrReachTheFoot) {
  const PageSettings page = windowPage();
  const PageBands bands = pageBands(page, 1000);
  // Line n ends at 400 + (n + 1) * 100; the frame ends at 6600 - 40 - 100.
  EXPECT_FALSE(pageFull(page, bands, 59));  // the next would end at 6400
  EXPECT_TRUE(pageFull(page, bands, 60));   // the next would end at 6500
  EXPECT_EQ(recordsPerPage(page, bands), 60);

  PageSettings exact = page;
  exact.pageHeight = 6540;  // the frame ends at 6400: the 60th line would end on it
  EXPECT_TRUE(pageFull(exact, pageBands(exact, 1000), 59));
  EXPECT_EQ(recordsPerPage(exact, pageBands(exact, 1000)), 59);

  PageSettings foot = page;
  foot.bottomBandHeight = 200;  // a page number taller than the top margin
  EXPECT_FALSE(pageFull(foot, pageBands(foot, 1000), 58));
  EXPECT_TRUE(pageFull(foot, pageBands(foot, 1000), 59));

  PageSettings tiny = page;
  tiny.pageHeight = 500;
  EXPECT_EQ(recordsPerPage(tiny, pageBands(tiny, 1000)), 1) << "a page always takes one record";
}

}  // namespace
}  // namespace report
