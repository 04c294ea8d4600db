// The program's UiServices on Qt. Message boxes are modal QMessageBoxes with
// plain text (engine and table texts are never read as markup) and the caption
// the caller gives, which is the application's title for error boxes; the
// beep is QApplication::beep; the hourglass is an application override
// cursor; Escape is noticed by an application-wide event filter.
//
// Needs a QApplication. Text crosses this interface as UTF-8.
#pragma once

#include <QObject>
#include <memory>

#include "toolkit/ui_services.h"

namespace toolkit {

class QtUiServices : public QObject, public UiServices {
  Q_OBJECT
 public:
  QtUiServices();
  ~QtUiServices() override;

  MessageResult showMessage(const std::string& text, const std::string& caption, MessageKind kind,
                            MessageButtons buttons) override;
  void beep() override;
  void setCursor(CursorShape shape) override;
  CursorShape cursor() const override { return cursor_; }
  // Lets queued input through the event filter so that an Escape typed during
  // a long walk is seen. Other key and mouse input arriving meanwhile is
  // dropped, as a busy program ignores clicks, and timers wait for a later
  // turn, so that no timer handler runs in the middle of the walk that asked.
  bool escapePressed() override;
  void processEvents() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  CursorShape cursor_ = CursorShape::kArrow;
  bool escapeSeen_ = false;
  bool checkingEscape_ = false;
  // Escape counts only while events are let through by this service, so an
  // Escape that an edit box handled long ago cannot stop a later walk.
  int servicingEvents_ = 0;
};

// Creates the Qt service, installs it as ui() and answers it; the previous
// service comes back when the answered object is destroyed.
std::unique_ptr<QtUiServices> installQtUiServices();

}  // namespace toolkit
