// Typing into a text under a picture mask, one key at a time: what a key does
// to the text, where the caret goes, and what the check of the text answers.
// The data-aware edit box and the grid's in-place editor share these rules, so
// they live here, free of any widget: the caller passes the text (8-bit, in
// the table's code page), the selection and the key, and applies the answer.
#pragma once

#include <optional>
#include <string>

namespace edit {

enum class PictureKeyAction {
  kConsumed,        // the answer's text and caret replace the control's
  kLeaveToEditBox,  // the edit box handles the key as it would without a mask
  kRefused,         // the key is dropped with a beep
};

struct PictureKeyResult {
  PictureKeyAction action = PictureKeyAction::kLeaveToEditBox;
  std::string text;  // the new text when consumed
  int caret = 0;     // the new caret position when consumed
  // What the value check reports after the key; none when it is not reported.
  std::optional<bool> passes;
};

struct PictureTypingState {
  std::string text;
  int selStart = 0;   // the caret when nothing is selected
  int selLength = 0;  // bytes selected from selStart
  int maxLength = 0;  // the edit box's limit; 0 for none
};

// One printable key (one character of the table's code page, possibly of more
// than one byte) typed over the selection.
PictureKeyResult TypePictureKey(const std::string& mask, bool autoFill,
                                const PictureTypingState& state, const std::string& key);

// The check of a whole text: empty, or a complete match without fill.
bool PicturePasses(const std::string& mask, const std::string& text);

// A pasted text re-matched with fill, as the control then shows it (the text
// as it was pasted when it does not fit the mask at all).
std::string MatchPastedText(const std::string& mask, const std::string& text);

}  // namespace edit
