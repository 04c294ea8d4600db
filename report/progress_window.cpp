#include "progress_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace report {

ProgressWindow::ProgressWindow(QWidget* parent, int showAfterMs)
    : QDialog(parent), showAfterMs_(showAfterMs) {
  setWindowTitle(tr("Printing"));
  setWindowModality(Qt::ApplicationModal);
  auto* layout = new QVBoxLayout(this);
  label_ = new QLabel(this);
  label_->setMinimumWidth(260);
  bar_ = new QProgressBar(this);
  stop_ = new QPushButton(tr("Stop"), this);
  stop_->setAutoDefault(false);
  layout->addWidget(label_);
  layout->addWidget(bar_);
  layout->addWidget(stop_, 0, Qt::AlignRight);
  connect(stop_, &QPushButton::clicked, this, &ProgressWindow::requestStop);
}

void ProgressWindow::begin(const ProgressFigures& figures) {
  stopRequested_ = false;
  if (!filtering_) qApp->installEventFilter(this);
  filtering_ = true;
  sinceBegin_.start();
  bar_->setRange(0, 1000);
  update(figures);
}

void ProgressWindow::update(const ProgressFigures& figures) {
  const QLocale locale;
  label_->setText(tr("Page %1 of %2, record %3 of %4")
                      .arg(locale.toString(figures.page), locale.toString(figures.pagesTotal),
                           locale.toString(static_cast<qlonglong>(figures.recordsDone)),
                           locale.toString(static_cast<qlonglong>(figures.recordsTotal))));
  const double share = figures.recordsTotal > 0 ? static_cast<double>(figures.recordsDone) /
                                                      static_cast<double>(figures.recordsTotal)
                                                : 1.0;
  bar_->setValue(static_cast<int>(share * 1000));
  if (!isVisible() && sinceBegin_.isValid() && sinceBegin_.elapsed() >= showAfterMs_) show();
}

void ProgressWindow::end() {
  if (filtering_) qApp->removeEventFilter(this);
  filtering_ = false;
  sinceBegin_.invalidate();
  hide();
}

QString ProgressWindow::text() const {
  return label_->text();
}

void ProgressWindow::requestStop() {
  stopRequested_ = true;
  stop_->setEnabled(false);
  label_->setText(tr("Stopping..."));
}

void ProgressWindow::reject() {
  requestStop();
}

// Key strokes and clicks go to this window only.
bool ProgressWindow::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::ShortcutOverride: {
      auto* widget = qobject_cast<QWidget*>(watched);
      if (widget == nullptr) return false;
      return widget != this && !isAncestorOf(widget) && widget->window() != this;
    }
    default:
      return false;
  }
}

void ProgressWindow::closeEvent(QCloseEvent* event) {
  event->ignore();
  requestStop();
}

}  // namespace report
