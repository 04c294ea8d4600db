// Message boxes, the beep, the mouse cursor, the keyboard state and "let
// pending messages be handled", behind one service object. The program
// installs the Qt one; tests install a ScriptedUi that records what was shown
// and answers as the test says. Qt-free: the data layer and the engine
// interface use it.
#pragma once

#include <string>

namespace toolkit {

enum class MessageKind { kError, kWarning, kInformation, kConfirmation };
enum class MessageButtons { kOk, kOkCancel, kYesNo, kYesNoCancel };
enum class MessageResult { kOk, kCancel, kYes, kNo };
enum class CursorShape { kArrow, kHourGlass };

class UiServices {
 public:
  virtual ~UiServices() = default;
  // A modal box; closing it by its close box answers kCancel (or kNo).
  virtual MessageResult showMessage(const std::string& text, const std::string& caption,
                                    MessageKind kind, MessageButtons buttons) = 0;
  virtual void beep() = 0;
  virtual void setCursor(CursorShape shape) = 0;
  virtual CursorShape cursor() const = 0;
  // Whether Escape was pressed since the last call (a long walk checks it).
  virtual bool escapePressed() = 0;
  virtual void processEvents() = 0;
};

// The installed service; a ScriptedUi with default answers until one is set.
UiServices& ui();
// Installs service (not owned) and answers the one it replaced.
UiServices* setUi(UiServices* service);

}  // namespace toolkit
