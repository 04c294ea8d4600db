#include "grid/picture_typing.h"

#include <algorithm>

#include "data/picture_validator.h"

namespace grid {

using data::TwwPictureResult;

PictureKeystroke TypeIntoPicture(const std::string& text, int selStart, int selLength, char key,
                                 const std::string& mask, bool autoFill, int maxLength) {
  PictureKeystroke result;
  const size_t start = static_cast<size_t>(std::clamp(selStart, 0, static_cast<int>(text.size())));
  const size_t end = std::min(text.size(), start + static_cast<size_t>(std::max(0, selLength)));
  std::string wouldBe = text.substr(0, start) + key + text.substr(end);
  if (maxLength > 0 && static_cast<int>(wouldBe.size()) > maxLength && wouldBe.size() > text.size())
    return result;  // the editor's own length limit refuses it
  const bool wholeSelected = start == 0 && end == text.size() && !text.empty();
  const data::TwwPictureValidator validator(mask, autoFill);
  const TwwPictureResult answer = validator.MatchPicture(wouldBe, autoFill);
  // How far the text grew past what was left of it once the selection went.
  const int growth =
      static_cast<int>(wouldBe.size()) - static_cast<int>(text.size() - (end - start));
  switch (answer) {
    case TwwPictureResult::Complete:
      result.action = PictureKeystroke::Action::kTake;
      result.text = wouldBe;
      result.caret = wholeSelected ? static_cast<int>(wouldBe.size())
                                   : static_cast<int>(start) + std::max(growth, 1);
      break;
    case TwwPictureResult::Incomplete:
      result.action = PictureKeystroke::Action::kTake;
      result.text = wouldBe;
      result.caret = wholeSelected ? static_cast<int>(wouldBe.size())
                                   : static_cast<int>(start) + std::max(growth, 0);
      result.passes = false;
      break;
    case TwwPictureResult::Error:
      if (end < text.size()) {
        result.passes = false;  // text follows: the key overtypes as usual
      } else {
        result.action = PictureKeystroke::Action::kRefuse;
      }
      break;
    default:
      break;
  }
  result.caret = std::min(result.caret, static_cast<int>(result.text.size()));
  return result;
}

bool PassesPicture(const std::string& text, const std::string& mask) {
  if (text.empty() || mask.empty()) return true;
  std::string copy = text;
  return data::TwwPictureValidator(mask, false).MatchPicture(copy, false) ==
         TwwPictureResult::Complete;
}

}  // namespace grid
