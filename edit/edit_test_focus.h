// Focus moves for the edit controls' tests, as the user makes them with Tab:
// the focus change runs its handlers before the test goes on.
#pragma once

#include <QCoreApplication>
#include <QWidget>
#include <exception>
#include <string>

namespace edit::testing {

inline void FocusByTab(QWidget* widget) {
  widget->setFocus(Qt::TabFocusReason);
  QCoreApplication::processEvents();
}

// Moves the focus on to the other widget; a control that refuses to be left
// takes it back at once, in the second round of events. What the row refused
// comes back as the error's text ("" when nothing was).
inline std::string LeaveFor(QWidget* other) {
  std::string error;
  try {
    other->setFocus(Qt::TabFocusReason);
  } catch (const std::exception& e) {
    error = e.what();
  }
  QCoreApplication::processEvents();
  QCoreApplication::processEvents();
  return error;
}

}  // namespace edit::testing
