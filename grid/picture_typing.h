// One key stroke typed into a text that a picture mask governs: what the
// text becomes, where the caret goes, and whether the key is let through,
// taken, or refused with a beep. Qt-free, on the table's 8-bit text.
#pragma once

#include <string>

namespace grid {

struct PictureKeystroke {
  enum class Action {
    kLetThrough,  // the editor handles the key itself
    kTake,        // the text and caret below replace the editor's
    kRefuse,      // nothing changes; beep
  };
  Action action = Action::kLetThrough;
  std::string text;
  int caret = 0;
  // What the grid's check-value hook is told.
  bool passes = true;
};

// The text has the selection [selStart, selStart + selLength); maxLength 0 is
// no limit.
PictureKeystroke TypeIntoPicture(const std::string& text, int selStart, int selLength, char key,
                                 const std::string& mask, bool autoFill, int maxLength);

// A text passes without typing when it is empty, there is no mask, or it
// matches the mask completely.
bool PassesPicture(const std::string& text, const std::string& mask);

}  // namespace grid
