#include "xvdbprn.h"

#include <stdexcept>

#include "report/default_printer.h"
#include "report/report_progress.h"
#include "report/report_run.h"
#include "toolkit/printer.h"
#include "toolkit/ui_services.h"

namespace report {

namespace {

// Clears the running mark and closes the progress display however a run ends.
class RunScope {
 public:
  RunScope(bool& running, ReportProgress* progress) : running_(running), progress_(progress) {
    running_ = true;
  }
  ~RunScope() {
    if (progress_) progress_->end();
    running_ = false;
  }
  RunScope(const RunScope&) = delete;
  RunScope& operator=(const RunScope&) = delete;

 private:
  bool& running_;
  ReportProgress* progress_;
};

}  // namespace

TxvDBPrint::TxvDBPrint() = default;
TxvDBPrint::~TxvDBPrint() = default;

void TxvDBPrint::SetName(const std::string& name) {
  if (PrintMgrTitle == name_) PrintMgrTitle = name;
  name_ = name;
}

void TxvDBPrint::Print() {
  if (Table == nullptr) throw std::runtime_error("Dataset property was not specified.");
  // The progress window keeps input away during a run; this keeps a second
  // run from starting inside the first all the same.
  if (running_) throw std::runtime_error("A report is being printed already.");
  lastRunStopped_ = false;
  lastOutputFile_.clear();

  std::unique_ptr<toolkit::PrinterService> printer;
  if (!PrintToFile) printer = printerFactory_ ? printerFactory_(*this) : defaultPrinter(*this);
  std::unique_ptr<ReportProgress> progress =
      progressFactory_ ? progressFactory_() : defaultProgress();
  bool finished = false;
  {
    RunScope scope(running_, progress.get());
    ReportRun run(*this, *Table, progress.get());
    finished = PrintToFile ? run.writeFile() : run.print(*printer);
  }
  lastRunStopped_ = !finished;
  if (finished && printer) {
    lastOutputFile_ = printer->outputFile();
    if (!lastOutputFile_.empty()) {
      toolkit::ui().showMessage(
          "There is no printer on this computer, so the report was saved as a PDF file:\n" +
              lastOutputFile_,
          "Information", toolkit::MessageKind::kInformation, toolkit::MessageButtons::kOk);
    }
  }
}

}  // namespace report
