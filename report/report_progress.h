// How a report run tells how far it has come and learns that the user wants
// it stopped. The run calls begin once, update whenever it lets the window
// repaint, and asks stopRequested after every record, so the question must be
// cheap. Qt-free: ProgressWindow shows it on the screen; tests script it.
#pragma once

#include <cstdint>

namespace report {

struct ProgressFigures {
  std::int64_t recordsDone = 0;
  std::int64_t recordsTotal = 0;  // the records the run will walk
  int page = 0;                   // the page being made
  int pagesTotal = 0;             // the last page the run will make
};

class ReportProgress {
 public:
  virtual ~ReportProgress() = default;
  virtual void begin(const ProgressFigures& figures) = 0;
  virtual void update(const ProgressFigures& figures) = 0;
  virtual bool stopRequested() const = 0;
  // The run is over, stopped or not.
  virtual void end() = 0;
};

}  // namespace report
