// The report on Qt's printer: a PDF of a sample table, rendered to an image,
// shows its lines where the run put them; on a machine without a printer the
// PDF lands in the documents folder under a name of its own; and the
// progress window's Stop button ends a real run.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "foliodb_writer.h"
#include "report/progress_window.h"
#include "report/report_test_tables.h"
#include "report/xvdbprn.h"
#include "toolkit/locale_settings.h"
#include "toolkit/qt_printer.h"
#include "toolkit/qt_ui_services.h"
#include "toolkit/recording_canvas.h"
#include "toolkit/scripted_ui.h"

namespace report {
namespace {

namespace fs = std::filesystem;

// The lines, rectangles and text boxes of a page.
struct DrawingLog {
  std::vector<std::pair<toolkit::Point, toolkit::Point>> lines;
  std::vector<toolkit::Rect> rectangles;
  std::vector<toolkit::Rect> boxes;
  bool pageEnded = false;  // only the first page is kept
  int pageWidth = 0;       // what lies beyond is cut off by the device
};

// Draws on the real canvas and keeps what it was given in a log.
class LoggingCanvas : public toolkit::Canvas {
 public:
  LoggingCanvas(toolkit::Canvas& canvas, DrawingLog& log) : c_(canvas), log_(log) {}
  void setFont(const toolkit::FontSpec& font) override { c_.setFont(font); }
  const toolkit::FontSpec& font() const override { return c_.font(); }
  void setPen(const toolkit::Pen& pen) override { c_.setPen(pen); }
  const toolkit::Pen& pen() const override { return c_.pen(); }
  void setBrush(const toolkit::Brush& brush) override { c_.setBrush(brush); }
  const toolkit::Brush& brush() const override { return c_.brush(); }
  void setClip(const std::optional<toolkit::Rect>& clip) override { c_.setClip(clip); }
  int textWidth(std::string_view text) override { return c_.textWidth(text); }
  int textHeight(std::string_view text) override { return c_.textHeight(text); }
  void textOut(int x, int y, std::string_view text, toolkit::TextAnchor anchor) override {
    c_.textOut(x, y, text, anchor);
  }
  void textRect(const toolkit::Rect& box, int x, int y, std::string_view text,
                toolkit::TextAnchor anchor) override {
    if (!log_.pageEnded) log_.boxes.push_back(box);
    c_.textRect(box, x, y, text, anchor);
  }
  int drawText(const toolkit::Rect& box, std::string_view text,
               const toolkit::TextFormat& format) override {
    return c_.drawText(box, text, format);
  }
  void line(toolkit::Point from, toolkit::Point to) override {
    if (!log_.pageEnded) log_.lines.push_back({from, to});
    c_.line(from, to);
  }
  void rectangle(const toolkit::Rect& rect) override {
    if (!log_.pageEnded) log_.rectangles.push_back(rect);
    c_.rectangle(rect);
  }
  void fillRect(const toolkit::Rect& rect) override { c_.fillRect(rect); }
  void focusRect(const toolkit::Rect& rect) override { c_.focusRect(rect); }
  void copyBitmap(const toolkit::Rect& dest, const toolkit::Bitmap& bitmap,
                  toolkit::RasterOp op) override {
    c_.copyBitmap(dest, bitmap, op);
  }
  std::unique_ptr<Canvas> createOffscreen(int width, int height) override {
    return c_.createOffscreen(width, height);
  }
  toolkit::Bitmap image() const override { return c_.image(); }
  int pixelsPerInch() const override { return c_.pixelsPerInch(); }

 private:
  toolkit::Canvas& c_;
  DrawingLog& log_;
};

// The PDF printer, its first page's drawing kept by a LoggingCanvas.
class LoggingPdfPrinter : public toolkit::QtPrinter {
 public:
  LoggingPdfPrinter(const QString& file, DrawingLog& log) : QtPrinter(Target::kPdfFile), log_(log) {
    setPdfFile(file);
  }
  void beginDoc() override {
    QtPrinter::beginDoc();
    log_.pageWidth = pageWidth();
    logging_ = std::make_unique<LoggingCanvas>(QtPrinter::canvas(), log_);
  }
  void endDoc() override {
    logging_.reset();
    QtPrinter::endDoc();
  }
  void newPage() override {
    QtPrinter::newPage();
    log_.pageEnded = true;
  }
  toolkit::Canvas& canvas() override { return *logging_; }

 private:
  DrawingLog& log_;
  std::unique_ptr<LoggingCanvas> logging_;
};

// A grey-scale image read from the binary PGM that pdftoppm writes.
struct GreyImage {
  int width = 0;
  int height = 0;
  std::vector<unsigned char> pixels;
  bool dark(int x, int y) const {
    return x >= 0 && y >= 0 && x < width && y < height &&
           pixels[static_cast<size_t>(y) * width + x] < 128;
  }
};

GreyImage readPgm(const fs::path& file) {
  GreyImage image;
  std::ifstream in(file, std::ios::binary);
  std::string magic;
  int maximum = 0;
  in >> magic >> image.width >> image.height >> maximum;
  in.get();
  image.pixels.resize(static_cast<size_t>(image.width) * image.height);
  in.read(reinterpret_cast<char*>(image.pixels.data()),
          static_cast<std::streamsize>(image.pixels.size()));
  return image;
}

TEST(PdfOutput, APdfOfASampleTableShowsItsLinesWhereTheRunDrewThem) {
  if (std::system("pdftoppm -v > /dev/null 2>&1") != 0) GTEST_SKIP() << "pdftoppm is missing";
  testing::ReportTables tables;
  if (!tables.unavailable().empty()) GTEST_SKIP() << tables.unavailable();
  std::string error;
  ASSERT_TRUE(foliodb::WriteFolioDb(tables.directory().Path().string(), 1, &error)) << error;
  data::TwwTable table;
  table.SetDatabaseName(tables.directory().Database());
  table.SetTableName("Sectrans");
  table.Open();

  toolkit::ScopedScriptedUi ui;
  TxvDBPrint report;
  report.SetName("xvDBPrint1");
  report.TopMargin = 100;
  report.RowLines = true;
  toolkit::FontSpec title;
  title.name = "Arial";
  title.height = -16;
  report.SetTitleFont(title);
  report.Header = "Transactions";
  report.DateLabel = "12/8/2026";
  report.Table = &table;
  report.ToPage = 2;
  const QString pdf = QString::fromStdString((tables.directory().Path() / "report.pdf").string());
  DrawingLog log;
  report.SetPrinterFactory([&](const TxvDBPrint&) {
    return std::unique_ptr<toolkit::PrinterService>(std::make_unique<LoggingPdfPrinter>(pdf, log));
  });
  report.SetProgressFactory([] { return std::unique_ptr<ReportProgress>(); });
  report.Print();
  ASSERT_TRUE(fs::exists(pdf.toStdString()));

  // 600 dots per inch rendered at 150: a dot is a quarter pixel.
  const fs::path prefix = tables.directory().Path() / "page";
  const std::string command =
      "pdftoppm -r 150 -gray -f 1 -l 1 '" + pdf.toStdString() + "' '" + prefix.string() + "'";
  ASSERT_EQ(std::system(command.c_str()), 0);
  fs::path rendered;
  for (const auto& entry : fs::directory_iterator(tables.directory().Path()))
    if (entry.path().extension() == ".pgm") rendered = entry.path();
  ASSERT_FALSE(rendered.empty());
  const GreyImage image = readPgm(rendered);
  ASSERT_EQ(log.rectangles.size(), 1u);
  const toolkit::Rect frame = log.rectangles[0];
  // The frame's top line is the first long dark run on the page: it places
  // the printable area on the sheet.
  const int visibleRight = std::min(frame.right, log.pageWidth);
  const int frameWidth = (visibleRight - frame.left) / 4;
  int top = -1;
  int left = -1;
  for (int y = 0; y < image.height && top < 0; ++y) {
    int run = 0;
    for (int x = 0; x < image.width; ++x) {
      run = image.dark(x, y) ? run + 1 : 0;
      if (run >= frameWidth * 9 / 10) {
        top = y;
        left = x - run + 1;
        break;
      }
    }
  }
  ASSERT_GE(top, 0) << "no frame on the page";
  auto column = [&](int xDots) { return left + (xDots - frame.left) / 4; };
  auto row = [&](int yDots) { return top + (yDots - frame.top) / 4; };
  // The share of pixels along a line that are dark within a pixel of it.
  auto darkAlong = [&](bool vertical, int at, int from, int to) {
    int dark = 0;
    for (int i = from; i < to; ++i) {
      bool any = false;
      for (int d = -1; d <= 1; ++d)
        any = any || (vertical ? image.dark(at + d, i) : image.dark(i, at + d));
      dark += any ? 1 : 0;
    }
    return to > from ? static_cast<double>(dark) / (to - from) : 0.0;
  };

  EXPECT_GT(darkAlong(true, column(frame.left), row(frame.top), row(frame.bottom)), 0.95);
  if (frame.right <= log.pageWidth) {
    EXPECT_GT(darkAlong(true, column(frame.right - 1), row(frame.top), row(frame.bottom)), 0.95);
  }
  EXPECT_GT(darkAlong(false, row(frame.bottom - 1), column(frame.left), column(visibleRight)),
            0.95);
  ASSERT_GT(log.lines.size(), 10u);
  EXPECT_GT(frame.right, log.pageWidth) << "the window's title font makes this report too wide";
  ASSERT_EQ(ui.shown.size(), 2u) << "the width warning, then where the PDF went";
  EXPECT_EQ(ui.shown[0].text, "Report width is greater than paper width.");
  for (const auto& [from, to] : log.lines) {
    const bool vertical = from.x == to.x;
    SCOPED_TRACE(::testing::Message() << (vertical ? "x " : "y ") << (vertical ? from.x : from.y));
    if (vertical && from.x < log.pageWidth) {
      EXPECT_GT(darkAlong(true, column(from.x), row(from.y), row(to.y)), 0.95);
    } else if (!vertical) {
      EXPECT_GT(
          darkAlong(false, row(from.y), column(from.x), column(std::min(to.x, log.pageWidth))),
          0.95);
    }
  }
  // Every column title the device shows has ink inside its box.
  for (const toolkit::Rect& box : log.boxes) {
    if (box.bottom > log.lines.front().first.y) break;  // the titles come first
    if (box.right > log.pageWidth) continue;
    int ink = 0;
    for (int y = row(box.top); y < row(box.bottom); ++y)
      for (int x = column(box.left); x < column(box.right); ++x) ink += image.dark(x, y) ? 1 : 0;
    EXPECT_GT(ink, 10) << box.left;
  }
}

// Sets an environment variable for a scope.
class ScopedVariable {
 public:
  ScopedVariable(const char* name, const QByteArray& value)
      : name_(name), had_(qEnvironmentVariableIsSet(name)), old_(qgetenv(name)) {
    qputenv(name, value);
  }
  ~ScopedVariable() {
    if (had_)
      qputenv(name_, old_);
    else
      qunsetenv(name_);
  }

 private:
  const char* name_;
  bool had_;
  QByteArray old_;
};

TEST(PdfOutput, WithoutAPrinterTheReportGoesToTheDocumentsFolderNeverReplacingAnEarlierOne) {
  if (toolkit::QtPrinter().pdfFile().isEmpty()) GTEST_SKIP() << "this machine has a printer";
  testing::ReportTables tables;
  if (!tables.unavailable().empty()) GTEST_SKIP() << tables.unavailable();
  auto table = tables.numbered(3);
  QTemporaryDir home;
  ScopedVariable homeVariable("HOME", QFile::encodeName(home.path()));
  ScopedVariable configVariable("XDG_CONFIG_HOME", QFile::encodeName(home.filePath(".config")));
  ScopedVariable pdfVariable("VINDRAL_PRINT_PDF", QByteArray());
  const fs::path documents = fs::path(home.path().toStdString()) / "Documents";
  fs::create_directories(documents);
  const toolkit::LocaleSettings saved = toolkit::localeSettings();
  toolkit::LocaleSettings fixed = saved;
  fixed.now = [] { return std::chrono::sys_days{std::chrono::December / 8 / 2026}; };
  toolkit::setLocaleSettings(fixed);

  toolkit::ScopedScriptedUi ui;
  TxvDBPrint report;
  report.SetName("xvDBPrint1");
  report.Table = table.get();
  report.Header = "Portfolios";
  report.SetProgressFactory([] { return std::unique_ptr<ReportProgress>(); });
  report.Print();
  report.Print();
  toolkit::setLocaleSettings(saved);

  const fs::path first = documents / "Portfolios 2026-12-08.pdf";
  const fs::path second = documents / "Portfolios 2026-12-08 (2).pdf";
  EXPECT_TRUE(fs::exists(first));
  EXPECT_TRUE(fs::exists(second));
  EXPECT_EQ(std::distance(fs::directory_iterator(documents), fs::directory_iterator()), 2)
      << "nothing else is left in the folder";
  EXPECT_EQ(report.LastOutputFile(), second.string());
  ASSERT_EQ(ui.shown.size(), 2u);
  EXPECT_EQ(ui.shown[0].kind, toolkit::MessageKind::kInformation);
  EXPECT_NE(ui.shown[0].text.find(first.string()), std::string::npos) << ui.shown[0].text;
}

TEST(PdfOutput, EachSampleTablePrintsIntoAPdfOfOnePage) {
  if (std::system("pdfinfo -v > /dev/null 2>&1") != 0) GTEST_SKIP() << "pdfinfo is missing";
  testing::ReportTables tables;
  if (!tables.unavailable().empty()) GTEST_SKIP() << tables.unavailable();
  std::string error;
  ASSERT_TRUE(foliodb::WriteFolioDb(tables.directory().Path().string(), 1, &error)) << error;
  toolkit::ScopedScriptedUi ui;
  for (const char* name : {"Portf", "PortfDet", "Sectrans", "Account", "Acctr", "UpdateSh"}) {
    SCOPED_TRACE(name);
    data::TwwTable table;
    table.SetDatabaseName(tables.directory().Database());
    table.SetTableName(name);
    table.Open();
    TxvDBPrint report;
    report.Table = &table;
    report.Header = name;
    report.ToPage = 1;
    const fs::path pdf = tables.directory().Path() / (std::string(name) + ".pdf");
    report.SetPrinterFactory([&pdf](const TxvDBPrint&) {
      auto printer = std::make_unique<toolkit::QtPrinter>(toolkit::QtPrinter::Target::kPdfFile);
      printer->setPdfFile(QString::fromStdString(pdf.string()));
      return std::unique_ptr<toolkit::PrinterService>(std::move(printer));
    });
    report.SetProgressFactory([] { return std::unique_ptr<ReportProgress>(); });
    report.Print();
    const std::string info = "pdfinfo '" + pdf.string() + "' | grep -q '^Pages: *1$'";
    EXPECT_EQ(std::system(info.c_str()), 0) << "not a PDF of one page";
  }
}

TEST(ProgressWindow, ItsStopButtonEndsARunThatLeavesNoFileAndTheTableOnItsRow) {
  testing::ReportTables tables;
  if (!tables.unavailable().empty()) GTEST_SKIP() << tables.unavailable();
  auto table = tables.numbered(500);
  table->MoveBy(6);
  const auto services = toolkit::installQtUiServices();
  TxvDBPrint report;
  report.Table = table.get();
  report.PrintToFile = true;
  const fs::path file = tables.directory().Path() / "report.txt";
  report.PrintFileName = file.string();
  report.YieldInterval = std::chrono::milliseconds(0);
  report.SetProgressFactory(
      [] { return std::unique_ptr<ReportProgress>(new ProgressWindow(nullptr, 0)); });

  // A button of another window, clicked before the progress window shows.
  QPushButton other("Print");
  other.show();
  int otherClicks = 0;
  QObject::connect(&other, &QPushButton::clicked, [&] { ++otherClicks; });
  QTimer::singleShot(0, [&] { QTest::mouseClick(&other, Qt::LeftButton); });

  // Clicks Stop as soon as the window shows, from the events the run lets through.
  QString shownText;
  QTimer clicker;
  clicker.setInterval(0);
  QObject::connect(&clicker, &QTimer::timeout, [&] {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      auto* window = qobject_cast<ProgressWindow*>(widget);
      if (window == nullptr || !window->isVisible()) continue;
      shownText = window->text();
      EXPECT_TRUE(window->isModal()) << "the run keeps input away from the other windows";
      QTest::mouseClick(window->stopButton(), Qt::LeftButton);
      clicker.stop();
    }
  });
  clicker.start();
  report.Print();

  EXPECT_TRUE(report.LastRunStopped());
  EXPECT_EQ(otherClicks, 0) << "input reached another window during the run";
  QTest::mouseClick(&other, Qt::LeftButton);
  EXPECT_EQ(otherClicks, 1) << "input is let through again after the run";
  EXPECT_TRUE(shownText.startsWith("Page 1 of 8, record ")) << shownText.toStdString();
  EXPECT_TRUE(shownText.endsWith(" of 500")) << shownText.toStdString();
  EXPECT_FALSE(fs::exists(file));
  EXPECT_EQ(table->FieldByName("ID")->AsInteger(), 7);
  EXPECT_EQ(toolkit::ui().cursor(), toolkit::CursorShape::kArrow);
}

}  // namespace
}  // namespace report
