// The report's progress on the screen: a small window that tells the page
// and the record the run has reached, out of how many, with a Stop button.
// It appears only when a run lasts longer than a moment; from the run's
// start the program's other windows take no key strokes or clicks, so that
// nobody switches tables or starts another report halfway through one. They
// still repaint. Escape and the
// window's close box stop the run as the button does.
#pragma once

#include <QDialog>
#include <QElapsedTimer>

#include "report/report_progress.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace report {

class ProgressWindow : public QDialog, public ReportProgress {
  Q_OBJECT
 public:
  // showAfterMs: how long a run goes before the window shows.
  explicit ProgressWindow(QWidget* parent = nullptr, int showAfterMs = 400);

  void begin(const ProgressFigures& figures) override;
  void update(const ProgressFigures& figures) override;
  bool stopRequested() const override { return stopRequested_; }
  void end() override;

  QPushButton* stopButton() const { return stop_; }
  QString text() const;

 protected:
  void reject() override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void requestStop();

  QLabel* label_;
  QProgressBar* bar_;
  QPushButton* stop_;
  QElapsedTimer sinceBegin_;
  int showAfterMs_;
  bool stopRequested_ = false;
  bool filtering_ = false;
};

}  // namespace report
