#include "report_run.h"

#include <algorithm>
#include <exception>
#include <new>
#include <optional>
#include <stdexcept>

#include "data/data_set.h"
#include "report/page_painter.h"
#include "report/report_file.h"
#include "report/table_text.h"
#include "report/xvdbprn.h"
#include "toolkit/printer.h"
#include "toolkit/ui_services.h"

namespace report {

namespace {

constexpr int kFileRecordsPerPage = 66;
constexpr const char* kWidthWarning = "Report width is greater than paper width.";

std::vector<data::TField*> visibleFields(const data::TDataSet& table) {
  std::vector<data::TField*> fields;
  for (int i = 0; i < table.FieldCount(); ++i)
    if (table.Fields(i)->Visible()) fields.push_back(table.Fields(i));
  return fields;
}

}  // namespace

// Where the walk puts its pages and records: the printer or the file.
class PageSink {
 public:
  virtual ~PageSink() = default;
  // Before the first page; the printer warns here of a report too wide.
  virtual void beforeFirstPage() {}
  virtual void startPage(int page, bool inRange) = 0;
  virtual void placeRecord(int rowOnPage, bool inRange) = 0;
  virtual bool pageFull(int rowsOnPage) const = 0;
  virtual int recordsPerPage() const = 0;
};

namespace {

class PrinterSink : public PageSink {
 public:
  PrinterSink(const TxvDBPrint& report, toolkit::PrinterService& printer, const TableText& text,
              std::vector<data::TField*> columns, std::int64_t recordCount)
      : printer_(printer),
        painter_(report, printer.canvas(), text, std::move(columns), printer.pageWidth(),
                 printer.pageHeight(), recordCount) {
    bands_ = painter_.layOutPage();
  }

  const PagePainter& painter() const { return painter_; }

  void beforeFirstPage() override {
    if (painter_.printableWidth() >= painter_.reportWidth()) return;
    toolkit::ui().setCursor(toolkit::CursorShape::kArrow);
    toolkit::ui().showMessage(kWidthWarning, "Warning", toolkit::MessageKind::kWarning,
                              toolkit::MessageButtons::kOk);
    toolkit::ui().setCursor(toolkit::CursorShape::kHourGlass);
  }

  // Pages out of range are laid out all the same, so that they take exactly
  // the records a printed page would.
  void startPage(int page, bool inRange) override {
    bands_ = painter_.layOutPage();
    if (!inRange) return;
    // A sheet is started only for a page that has something to go on it, so
    // a report that fills its last page exactly ends without an empty sheet.
    if (sheetUsed_) printer_.newPage();
    sheetUsed_ = true;
    painter_.drawPageStart(page, bands_);
  }

  void placeRecord(int rowOnPage, bool inRange) override {
    if (inRange) painter_.drawRecord(bands_, rowOnPage);
  }

  bool pageFull(int rowsOnPage) const override {
    return report::pageFull(painter_.pageSettings(), bands_, rowsOnPage);
  }

  int recordsPerPage() const override {
    return report::recordsPerPage(painter_.pageSettings(), bands_);
  }

 private:
  toolkit::PrinterService& printer_;
  PagePainter painter_;
  PageBands bands_;
  bool sheetUsed_ = false;
};

// Tab-separated lines: per page the header and the column titles, then one
// line per record, every value followed by a tab.
class FileSink : public PageSink {
 public:
  FileSink(ReportFile& file, std::string header, std::vector<data::TField*> columns)
      : file_(file), header_(std::move(header)), columns_(std::move(columns)) {}

  void startPage(int, bool inRange) override {
    if (!inRange) return;
    file_.append(header_);
    file_.endLine();
    for (const data::TField* field : columns_) {
      file_.append(field->DisplayName());
      file_.append('\t');
    }
    file_.endLine();
  }

  void placeRecord(int, bool inRange) override {
    if (!inRange) return;
    // The line is made in one string kept from record to record.
    line_.clear();
    for (const data::TField* field : columns_) {
      field->AppendDisplayText(line_);
      line_ += '\t';
    }
    file_.append(line_);
    file_.endLine();
  }

  bool pageFull(int rowsOnPage) const override { return rowsOnPage == kFileRecordsPerPage; }
  int recordsPerPage() const override { return kFileRecordsPerPage; }

 private:
  ReportFile& file_;
  std::string header_;
  std::vector<data::TField*> columns_;
  std::string line_;
};

// The table's state for the length of a walk: the hourglass, the row to come
// back to, and the controls switched off. restore() undoes them in that order
// and raises a failure to go back to the row; when the walk fails first, the
// destructor undoes them and leaves the walk's failure to be raised.
class WalkGuard {
 public:
  explicit WalkGuard(data::TDataSet& table) : table_(table) {
    toolkit::ui().setCursor(toolkit::CursorShape::kHourGlass);
    try {
      bookmark_ = table_.GetBookmark();
    } catch (...) {
      toolkit::ui().setCursor(toolkit::CursorShape::kArrow);
      throw;
    }
    table_.DisableControls();
  }
  ~WalkGuard() {
    if (!restored_) restore(std::nothrow);
  }
  WalkGuard(const WalkGuard&) = delete;
  WalkGuard& operator=(const WalkGuard&) = delete;

  void restore() {
    if (std::exception_ptr failure = restore(std::nothrow)) std::rethrow_exception(failure);
  }

 private:
  std::exception_ptr restore(std::nothrow_t) noexcept {
    restored_ = true;
    toolkit::ui().setCursor(toolkit::CursorShape::kArrow);
    std::exception_ptr failure;
    try {
      if (table_.BookmarkValid(bookmark_)) table_.GotoBookmark(bookmark_);
    } catch (...) {
      failure = std::current_exception();
    }
    try {
      table_.EnableControls();
    } catch (...) {
      if (!failure) failure = std::current_exception();
    }
    table_.FreeBookmark(bookmark_);
    return failure;
  }

  data::TDataSet& table_;
  data::Bookmark bookmark_;
  bool restored_ = false;
};

}  // namespace

ReportRun::ReportRun(TxvDBPrint& report, data::TDataSet& table, ReportProgress* progress)
    : report_(report), table_(table), progress_(progress) {}

void ReportRun::yieldToWindow(const ProgressFigures& figures) {
  // Input is kept away by the progress window, but a timer that was already
  // running (the search box's delay) may move the table meanwhile: the walk
  // goes on from the row it had reached.
  const bool onRow = !table_.Eof();
  const data::Bookmark reached = onRow ? table_.GetBookmark() : data::Bookmark();
  toolkit::ui().processEvents();
  if (onRow && table_.CompareBookmarks(reached, table_.GetBookmark()) != 0) {
    table_.GotoBookmark(reached);
  } else if (!onRow && !table_.Eof()) {
    table_.Last();
    table_.Next();
  }
  if (progress_) progress_->update(figures);
  lastYield_ = std::chrono::steady_clock::now();
}

bool ReportRun::walk(PageSink& sink) {
  WalkGuard guard(table_);
  table_.First();
  int rowsOnPage = 0;
  int page = 1;
  sink.beforeFirstPage();

  ProgressFigures figures;
  const std::int64_t perPage = sink.recordsPerPage();
  const std::int64_t lastPage = std::max(report_.ToPage, 1);
  figures.recordsTotal = std::min(table_.RecordCountTotal(), lastPage * perPage);
  figures.pagesTotal = static_cast<int>(
      std::min<std::int64_t>((figures.recordsTotal + perPage - 1) / perPage, lastPage));
  figures.page = 1;
  if (progress_) progress_->begin(figures);
  lastYield_ = std::chrono::steady_clock::now();
  const auto interval = report_.YieldInterval;

  bool stopped = false;
  while (!table_.Eof()) {
    const bool inRange = report_.FromPage <= page && page <= report_.ToPage;
    if (rowsOnPage == 0) sink.startPage(page, inRange);
    sink.placeRecord(rowsOnPage, inRange);
    ++rowsOnPage;
    ++figures.recordsDone;
    table_.Next();
    // The window repaints and the Stop button is heard while the report runs;
    // the clock is read every few records, which costs next to nothing.
    if (interval.count() == 0 || ((figures.recordsDone & 15) == 0 &&
                                  std::chrono::steady_clock::now() - lastYield_ >= interval)) {
      yieldToWindow(figures);
      if (progress_ && progress_->stopRequested()) {
        stopped = true;
        break;
      }
    }
    if (sink.pageFull(rowsOnPage)) {
      rowsOnPage = 0;
      ++page;
      figures.page = page;
      if (page > report_.ToPage) break;
    }
  }
  guard.restore();
  return !stopped;
}

bool ReportRun::print(toolkit::PrinterService& printer) {
  printer.setTitle(report_.PrintMgrTitle);
  printer.beginDoc();
  bool finished = false;
  try {
    TableText text(table_);
    PrinterSink sink(report_, printer, text, visibleFields(table_), table_.RecordCountTotal());
    report_.characterWidth_ = sink.painter().characterWidth();
    finished = walk(sink);
  } catch (...) {
    // What was drawn goes to the printer; a file that did not come out whole
    // is not left behind. The failure that stopped the run is the one told.
    try {
      if (printer.outputFile().empty())
        printer.endDoc();
      else
        printer.abortDoc();
    } catch (...) {
    }
    throw;
  }
  if (finished)
    printer.endDoc();
  else
    printer.abortDoc();
  return finished;
}

bool ReportRun::writeFile() {
  ReportFile file(report_.PrintFileName);
  TableText text(table_);
  // The report file is all in the table's code page; the header is ours.
  FileSink sink(file, text.fromUtf8(report_.Header), visibleFields(table_));
  if (!walk(sink)) return false;
  file.commit();
  return true;
}

}  // namespace report
