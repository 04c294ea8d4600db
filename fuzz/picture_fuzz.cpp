// Input layout: one byte of options (bit 0: auto-fill), one byte giving the
// mask length, the mask, then the text. Lengths past the validator's limits
// are kept on purpose so the limits themselves are exercised.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "data/picture_validator.h"

using data::TwwPictureResult;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  if (size < 2) return 0;
  const bool autoFill = (bytes[0] & 1) != 0;
  const size_t maskLength = std::min<size_t>(bytes[1], size - 2);
  const std::string mask(reinterpret_cast<const char*>(bytes + 2), maskLength);
  const std::string text(reinterpret_cast<const char*>(bytes + 2 + maskLength),
                         size - 2 - maskLength);

  const data::TwwPictureValidator validator(mask, autoFill);
  std::string rewritten = text;
  const TwwPictureResult result = validator.MatchPicture(rewritten, autoFill);

  // Callers never see the internal answers.
  if (result == TwwPictureResult::Ambiguous || result == TwwPictureResult::IncompleteNoFill) {
    std::abort();
  }
  // Only auto-fill changes the length, only by appending, and never past the limit.
  if (!autoFill && rewritten.size() != text.size()) std::abort();
  if (rewritten.size() < text.size()) std::abort();
  if (rewritten.size() > text.size() &&
      rewritten.size() > data::TwwPictureValidator::kMaxTextLength) {
    std::abort();
  }
  // The check without fill and the acceptance of a whole text agree; no mask
  // accepts everything.
  std::string again = text;
  const TwwPictureResult plain = validator.MatchPicture(again, false);
  const bool accepted =
      mask.empty() || plain == TwwPictureResult::Complete || plain == TwwPictureResult::Empty;
  if (validator.AcceptsText(text) != accepted) std::abort();
  return 0;
}
