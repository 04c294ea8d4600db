#include "qt_ui_services.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <functional>

namespace toolkit {
namespace {

// Answers the next modal box by running `act` on it once it is up.
void whenBoxShows(std::function<void(QMessageBox*)> act) {
  auto* poll = new QTimer;
  QObject::connect(poll, &QTimer::timeout, [poll, act] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      poll->stop();
      poll->deleteLater();
      act(box);
    }
  });
  poll->start(10);
}

TEST(QtUiServices, BoxShowsTextCaptionIconAndButtonsAndAnswersTheClickedOne) {
  auto service = installQtUiServices();
  QString caption, text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QList<QAbstractButton*> buttons;
  int buttonCount = 0;
  Qt::TextFormat format = Qt::AutoText;
  whenBoxShows([&](QMessageBox* box) {
    caption = box->windowTitle();
    text = box->text();
    icon = box->icon();
    format = box->textFormat();
    buttonCount = static_cast<int>(box->buttons().size());
    box->button(QMessageBox::Cancel)->click();
  });
  const MessageResult answer = ui().showMessage(
      "Delete record?", "Confirm", MessageKind::kConfirmation, MessageButtons::kOkCancel);
  EXPECT_EQ(answer, MessageResult::kCancel);
  EXPECT_EQ(caption, "Confirm");
  EXPECT_EQ(text, "Delete record?");
  EXPECT_EQ(icon, QMessageBox::Question);
  EXPECT_EQ(format, Qt::PlainText);
  EXPECT_EQ(buttonCount, 2);
}

TEST(QtUiServices, EscapeAnswersCancelOrNoAndEnterTheFirstButton) {
  auto service = installQtUiServices();
  whenBoxShows([](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); });
  EXPECT_EQ(service->showMessage("q", "t", MessageKind::kWarning, MessageButtons::kYesNo),
            MessageResult::kNo);
  whenBoxShows([](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); });
  EXPECT_EQ(service->showMessage("q", "t", MessageKind::kWarning, MessageButtons::kYesNoCancel),
            MessageResult::kCancel);
  whenBoxShows([](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Return); });
  EXPECT_EQ(service->showMessage("q", "t", MessageKind::kWarning, MessageButtons::kYesNo),
            MessageResult::kYes);
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  whenBoxShows([&](QMessageBox* box) {
    icon = box->icon();
    QTest::keyClick(box, Qt::Key_Escape);
  });
  EXPECT_EQ(service->showMessage("e", "t", MessageKind::kError, MessageButtons::kOk),
            MessageResult::kOk);
  EXPECT_EQ(icon, QMessageBox::Critical);
}

TEST(QtUiServices, InstallingReplacesTheServiceAndDestroyingRestoresIt) {
  UiServices* before = &ui();
  {
    auto service = installQtUiServices();
    EXPECT_EQ(&ui(), service.get());
  }
  EXPECT_EQ(&ui(), before);
}

TEST(QtUiServices, HourglassIsAnOverrideCursorThatTheArrowRemoves) {
  auto service = installQtUiServices();
  service->setCursor(CursorShape::kHourGlass);
  service->setCursor(CursorShape::kHourGlass);
  ASSERT_NE(QApplication::overrideCursor(), nullptr);
  EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
  service->setCursor(CursorShape::kArrow);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_EQ(service->cursor(), CursorShape::kArrow);
}

TEST(QtUiServices, EscapeQueuedDuringAWalkIsSeenOnceOtherInputDroppedAndTimersWait) {
  auto service = installQtUiServices();
  QWidget window;
  window.show();
  int keysReachingWindow = 0;
  struct Counter : QObject {
    int* count;
    bool eventFilter(QObject*, QEvent* e) override {
      if (e->type() == QEvent::KeyPress) ++*count;
      return false;
    }
  } counter;
  counter.count = &keysReachingWindow;
  window.installEventFilter(&counter);

  // Handled long before the walk: must not stop it.
  QTest::keyClick(&window, Qt::Key_Escape);
  EXPECT_FALSE(service->escapePressed());

  QCoreApplication::postEvent(&window,
                              new QKeyEvent(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, "a"));
  QCoreApplication::postEvent(&window,
                              new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
  keysReachingWindow = 0;
  int ticks = 0;
  QTimer due;
  due.setSingleShot(true);
  QObject::connect(&due, &QTimer::timeout, [&] { ++ticks; });
  due.start(0);
  EXPECT_TRUE(service->escapePressed());
  EXPECT_EQ(keysReachingWindow, 0);
  EXPECT_EQ(ticks, 0) << "no timer handler runs inside the walk";
  EXPECT_TRUE(QTest::qWaitFor([&] { return ticks == 1; })) << "it runs afterwards";
  EXPECT_FALSE(service->escapePressed());
}

}  // namespace
}  // namespace toolkit
