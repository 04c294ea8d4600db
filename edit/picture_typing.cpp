#include "edit/picture_typing.h"

#include <algorithm>

#include "data/picture_validator.h"

namespace edit {

using data::TwwPictureResult;
using data::TwwPictureValidator;

PictureKeyResult TypePictureKey(const std::string& mask, bool autoFill,
                                const PictureTypingState& state, const std::string& key) {
  const int length = static_cast<int>(state.text.size());
  const int selStart = std::clamp(state.selStart, 0, length);
  const int selLength = std::clamp(state.selLength, 0, length - selStart);
  const int selEnd = selStart + selLength;

  std::string wouldBe = state.text.substr(0, static_cast<size_t>(selStart)) + key +
                        state.text.substr(static_cast<size_t>(selEnd));
  PictureKeyResult result;
  if (state.maxLength > 0 && static_cast<int>(wouldBe.size()) > state.maxLength &&
      wouldBe.size() > state.text.size()) {
    // The edit box enforces its own limit.
    return result;
  }

  TwwPictureValidator validator(mask, autoFill);
  TwwPictureResult match = validator.MatchPicture(wouldBe, autoFill);
  const bool allSelected = length > 0 && selLength == length;
  const int step = static_cast<int>(key.size());
  switch (match) {
    case TwwPictureResult::Complete:
    case TwwPictureResult::Incomplete: {
      result.action = PictureKeyAction::kConsumed;
      result.text = wouldBe;
      // The caret goes behind the key and whatever literals were filled in
      // after it; the rest of the text keeps its place from the end.
      const int tail = length - selEnd;
      result.caret = allSelected
                         ? static_cast<int>(wouldBe.size())
                         : std::max(selStart + step, static_cast<int>(wouldBe.size()) - tail);
      result.caret = std::min<int>(result.caret, static_cast<int>(wouldBe.size()));
      result.passes = match == TwwPictureResult::Complete;
      return result;
    }
    case TwwPictureResult::Error:
      if (selEnd < length) {
        // Typing in the middle is not checked; the value check catches it.
        result.passes = false;
        return result;
      }
      result.action = PictureKeyAction::kRefused;
      return result;
    default:
      // A malformed mask cannot guide typing; the key goes through unchecked.
      return result;
  }
}

bool PicturePasses(const std::string& mask, const std::string& text) {
  if (text.empty()) return true;
  std::string copy = text;
  return TwwPictureValidator(mask, false).MatchPicture(copy, false) == TwwPictureResult::Complete;
}

std::string MatchPastedText(const std::string& mask, const std::string& text) {
  std::string copy = text;
  TwwPictureResult match = TwwPictureValidator(mask, true).MatchPicture(copy, true);
  if (match == TwwPictureResult::Error || match == TwwPictureResult::Syntax) return text;
  return copy;
}

}  // namespace edit
