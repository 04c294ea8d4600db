// A UiServices for tests: records every message box and beep, answers boxes
// from a queue (kOk, or kYes for yes/no boxes, when the queue is empty).
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "ui_services.h"

namespace toolkit {

class ScriptedUi : public UiServices {
 public:
  struct Shown {
    std::string text;
    std::string caption;
    MessageKind kind;
    MessageButtons buttons;
  };

  MessageResult showMessage(const std::string& text, const std::string& caption, MessageKind kind,
                            MessageButtons buttons) override;
  void beep() override { ++beeps; }
  void setCursor(CursorShape shape) override {
    cursorShape = shape;
    cursorHistory.push_back(shape);
  }
  CursorShape cursor() const override { return cursorShape; }
  bool escapePressed() override;
  void processEvents() override { ++processEventsCalls; }

  std::vector<Shown> shown;
  std::deque<MessageResult> answers;
  int beeps = 0;
  int processEventsCalls = 0;
  CursorShape cursorShape = CursorShape::kArrow;
  std::vector<CursorShape> cursorHistory;
  // escapePressed() answers true once after this many calls (-1: never).
  int escapeAfterCalls = -1;
};

// Installs a ScriptedUi for the lifetime of a test and restores the previous
// service afterwards.
class ScopedScriptedUi : public ScriptedUi {
 public:
  ScopedScriptedUi() : previous_(setUi(this)) {}
  ~ScopedScriptedUi() override { setUi(previous_); }
  ScopedScriptedUi(const ScopedScriptedUi&) = delete;
  ScopedScriptedUi& operator=(const ScopedScriptedUi&) = delete;

 private:
  UiServices* previous_;
};

}  // namespace toolkit
