// Which key releases may start an incremental search. The decision is made
// on the platform-neutral virtual key codes the component was designed
// around; the Qt keys are mapped onto them first.
#pragma once

class QKeyEvent;

namespace edit {

// The virtual key code of a key event: 8 Backspace, 9 Tab, 13 Enter, 16-18
// Shift/Ctrl/Alt, 27 Escape, 32 Space, 33-40 paging and arrows, 45 Insert,
// 46 Delete, 48-57 digits, 65-90 letters, 96-111 the keypad's digits and
// operators, 112-135 function keys, 144/145 Num Lock/Scroll Lock, 186 and up
// punctuation and the keys of other layouts; 0 for keys that have none.
int VirtualKeyCode(const QKeyEvent& event);

// Backspace, Space, Delete, 48 to 111 and everything above 145.
constexpr bool IsSearchKey(int code) {
  return code == 8 || code == 32 || code == 46 || (code >= 48 && code <= 111) || code > 145;
}

}  // namespace edit
