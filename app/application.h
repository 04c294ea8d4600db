// The application object: its title, and the top-level exception handler.
// Qt cannot carry exceptions through its event dispatch, so notify() is the
// one place where an exception that leaves a handler is caught: it shows an
// error box with the title as caption and lets the event loop go on.
// Nothing else in the program catches and swallows exceptions.
#pragma once

#include <QApplication>
#include <exception>
#include <functional>
#include <string>

namespace app {

class Application : public QApplication {
 public:
  Application(int& argc, char** argv);

  const std::string& Title() const { return title_; }
  bool notify(QObject* receiver, QEvent* event) override;
  // Releases the mouse, then shows the exception's message unless it is
  // the silent abort; for exceptions raised outside event dispatch (the
  // main window's create handler).
  void HandleException(std::exception_ptr error);

  static Application* instance();

  // Runs a handler and gives what it throws to the top-level handler of the
  // running Application (or lets it go on when there is none). For handlers
  // reached from mouse input: an exception unwinding through Qt's mouse
  // dispatch leaks the event copies Qt makes there.
  static void RunHandler(const std::function<void()>& handler);

 private:
  std::string title_;
};

}  // namespace app
