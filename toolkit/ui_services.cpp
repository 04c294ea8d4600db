#include "ui_services.h"
#include "scripted_ui.h"

namespace toolkit {

MessageResult ScriptedUi::showMessage(const std::string& text, const std::string& caption,
                                      MessageKind kind, MessageButtons buttons) {
  shown.push_back({text, caption, kind, buttons});
  if (!answers.empty()) {
    MessageResult answer = answers.front();
    answers.pop_front();
    return answer;
  }
  return buttons == MessageButtons::kYesNo || buttons == MessageButtons::kYesNoCancel
             ? MessageResult::kYes
             : MessageResult::kOk;
}

bool ScriptedUi::escapePressed() {
  if (escapeAfterCalls < 0) return false;
  if (escapeAfterCalls == 0) {
    escapeAfterCalls = -1;
    return true;
  }
  --escapeAfterCalls;
  return false;
}

namespace {
UiServices*& installed() {
  static ScriptedUi fallback;
  static UiServices* service = &fallback;
  return service;
}
}  // namespace

UiServices& ui() {
  return *installed();
}

UiServices* setUi(UiServices* service) {
  UiServices* previous = installed();
  installed() = service;
  return previous;
}

}  // namespace toolkit
