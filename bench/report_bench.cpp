// The report printer on a generated keyed table (default 1,000,000 rows):
//   - the whole table into the tab-separated report file, in rows per
//     second, against pdx dump of the same table to /dev/null;
//   - the first pages of it into a PDF, in pages per second, at two page
//     counts, with the peak memory of each run, to show that memory does not
//     grow with the report.
// Every measurement runs in a child process of its own, so that its peak
// memory is its own.
//
//   report_bench [ROWS] [PDF_PAGES]   (default 1000000 and 400)
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

#include "data/wwtable.h"
#include "read_table_generator.h"
#include "report/report_progress.h"
#include "report/xvdbprn.h"
#include "toolkit/qt_printer.h"
#include "toolkit/scripted_ui.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Measured {
  double seconds = 0;
  double cpuSeconds = 0;
  double peakMegabytes = 0;
  int status = 0;
};

// Runs body in a child process and measures it from outside.
Measured inChild(const std::function<int()>& body) {
  std::fflush(stdout);
  const auto start = Clock::now();
  const pid_t child = fork();
  if (child == 0) _exit(body());
  int status = 0;
  rusage usage{};
  wait4(child, &status, 0, &usage);
  Measured measured;
  measured.seconds = std::chrono::duration<double>(Clock::now() - start).count();
  measured.cpuSeconds = usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6 +
                        usage.ru_stime.tv_sec + usage.ru_stime.tv_usec / 1e6;
  measured.peakMegabytes = usage.ru_maxrss / 1024.0;
  measured.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128;
  return measured;
}

// One report run over the table, in the child.
int runReport(const std::string& dir, const std::function<void(report::TxvDBPrint&)>& setUp) {
  int argc = 1;
  char name[] = "report_bench";
  char* argv[] = {name, nullptr};
  QApplication app(argc, argv);
  // Boxes answer themselves (the PDF's information box); a yield every 25 ms
  // costs next to nothing either way.
  toolkit::ScopedScriptedUi ui;
  try {
    data::TwwTable table;
    table.SetDatabaseName(dir);
    table.SetTableName("big");
    table.Open();
    report::TxvDBPrint report;
    report.SetName("xvDBPrint1");
    report.Table = &table;
    report.Header = "Bench";
    report.SetProgressFactory([] { return std::unique_ptr<report::ReportProgress>(); });
    setUp(report);
    report.Print();
  } catch (const std::exception& error) {
    std::fprintf(stderr, "report failed: %s\n", error.what());
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  const int64_t rows = argc > 1 ? std::atoll(argv[1]) : 1000000;
  const int pdfPages = argc > 2 ? std::atoi(argv[2]) : 400;
  char pattern[] = "/tmp/report_bench.XXXXXX";
  const std::string dir = std::string(mkdtemp(pattern)) + "/";
  if (!bench::WriteBenchTable(dir, "big", rows)) return 1;
  std::printf("table of %lld rows\n", static_cast<long long>(rows));

  const Measured dump = inChild([&] {
    if (!freopen("/dev/null", "w", stdout)) return 2;
    execl(PDX_TOOL_PATH, "pdx", "dump", (dir + "big.DB").c_str(), static_cast<char*>(nullptr));
    return 127;
  });
  std::printf("pdx dump > /dev/null: %.2f s = %.0f rows/s (processor %.2f s), peak %.1f MB\n",
              dump.seconds, rows / dump.seconds, dump.cpuSeconds, dump.peakMegabytes);

  const std::string textFile = dir + "report.txt";
  const Measured text = inChild([&] {
    return runReport(dir, [&](report::TxvDBPrint& report) {
      report.PrintToFile = true;
      report.PrintFileName = textFile;
      report.ToPage = 1 << 30;
    });
  });
  std::printf(
      "report file: %.2f s = %.0f rows/s (processor %.2f s), peak %.1f MB, %.0f MB written, "
      "exit %d; %.2f of pdx dump's rate\n",
      text.seconds, rows / text.seconds, text.cpuSeconds, text.peakMegabytes,
      std::filesystem::exists(textFile) ? std::filesystem::file_size(textFile) / 1e6 : 0.0,
      text.status, dump.seconds / text.seconds);
  std::filesystem::remove(textFile);

  for (const int pages : {pdfPages / 4, pdfPages}) {
    if (pages <= 0) continue;
    const std::string pdf = dir + "report.pdf";
    const Measured measured = inChild([&] {
      return runReport(dir, [&](report::TxvDBPrint& report) {
        report.TopMargin = 100;
        report.RowLines = true;
        report.ToPage = pages;
        report.SetPrinterFactory([&](const report::TxvDBPrint&) {
          auto printer = std::make_unique<toolkit::QtPrinter>(toolkit::QtPrinter::Target::kPdfFile);
          printer->setPdfFile(QString::fromStdString(pdf));
          return std::unique_ptr<toolkit::PrinterService>(std::move(printer));
        });
      });
    });
    std::printf(
        "PDF, %d pages: %.2f s = %.1f pages/s (processor %.2f s), peak %.1f MB, %.1f MB "
        "written, exit %d\n",
        pages, measured.seconds, pages / measured.seconds, measured.cpuSeconds,
        measured.peakMegabytes,
        std::filesystem::exists(pdf) ? std::filesystem::file_size(pdf) / 1e6 : 0.0,
        measured.status);
    std::filesystem::remove(pdf);
  }
  std::filesystem::remove_all(dir);
  return 0;
}
