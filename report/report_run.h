// One run of the report printer: walks the table from its first row to its
// end (or the last page asked for), places every record on a page of the
// printer or a page of the report file, and puts the table back on the row
// it was on, however the run ends. Pages before FromPage take their records
// like printed pages but draw and write nothing.
#pragma once

#include <chrono>
#include <string>

#include "data/table_cursor.h"
#include "report/report_progress.h"

namespace data {
class TDataSet;
}
namespace toolkit {
class PrinterService;
}

namespace report {

class TxvDBPrint;
class PageSink;

class ReportRun {
 public:
  // progress may be null.
  ReportRun(TxvDBPrint& report, data::TDataSet& table, ReportProgress* progress);

  // A printed run; answers false when the user stopped it, in which case the
  // job is cancelled. A failure ends the job with what was drawn.
  bool print(toolkit::PrinterService& printer);
  // A run into the report file; a stopped or failed run leaves no file.
  bool writeFile();

 private:
  // Steps the table through its records into sink; false when stopped.
  bool walk(PageSink& sink);
  void yieldToWindow(const ProgressFigures& figures);

  TxvDBPrint& report_;
  data::TDataSet& table_;
  ReportProgress* progress_;
  std::chrono::steady_clock::time_point lastYield_;
};

}  // namespace report
