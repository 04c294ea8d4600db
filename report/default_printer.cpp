#include "default_printer.h"

#include <chrono>
#include <cstdio>

#include "report/progress_window.h"
#include "report/xvdbprn.h"
#include "toolkit/locale_settings.h"
#include "toolkit/qt_printer.h"

namespace report {

std::string pdfNameFor(const std::string& header) {
  const auto today = std::chrono::floor<std::chrono::days>(toolkit::localeSettings().now());
  const std::chrono::year_month_day date(today);
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02u-%02u", static_cast<int>(date.year()),
                static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()));
  const std::string name = header.empty() ? std::string("Report") : header;
  return name + " " + text;
}

std::unique_ptr<toolkit::PrinterService> defaultPrinter(const TxvDBPrint& report) {
  auto printer = std::make_unique<toolkit::QtPrinter>();
  printer->setPdfName(QString::fromStdString(pdfNameFor(report.Header)));
  return printer;
}

// Without a parent: the run owns the window, and a parent closed meanwhile
// would delete it under the run.
std::unique_ptr<ReportProgress> defaultProgress() {
  return std::make_unique<ProgressWindow>();
}

}  // namespace report
