// Checks a text against a picture mask and rewrites it while it checks: case
// changes where the mask asks for them, the mask's literals in place of a
// typed blank, and on request the literals that must come next. Text is 8-bit
// (a byte string in the table's code page). A validator is a short-lived
// value: make one for a mask, ask it once or twice, drop it. Matching keeps no
// state between calls. Case changes follow the table's code page when the
// validator is given the table's codec (a data set's textCodec()), else the
// case conversion of toolkit::localeSettings().
//
// The mask language:
//   #  a digit            ?  a letter          &  a letter, upper-cased
//   ~  a letter, lower-cased                   !  any character, upper-cased
//   @  any character      ;  the next mask character is a literal
//   *n item   exactly n repetitions of item (n read as an 8-bit value)
//   *item     any number of repetitions, none included
//   [...]  optional group   {...}  group   ,  separates alternatives
//   anything else: a literal, compared folding only a-z, stored as the mask has it
// A letter is A-Z, a-z, or any code above 128; code 128 too where the table's
// code page makes it a letter (given its codec).
//
// Limits: a mask of more than 254 characters answers Syntax and a text of more
// than 255 characters answers Error (the store's longest alpha field is 255),
// so every position stays within what the matching was designed for. Matching
// also works under a step budget far above what any practical mask needs: a
// hostile mask (deep nesting, long repetition chains) that exhausts it on a
// text answers Syntax, so no mask can stall a key stroke.
#pragma once

#include <cstddef>
#include <string>

#include "toolkit/text_codec.h"

namespace data {

enum class TwwPictureResult {
  Complete,    // the text is a complete match of the mask
  Incomplete,  // the text matches a beginning of the mask; more must be typed
  Empty,       // the text is empty
  Error,       // the text cannot be the beginning of any match
  Syntax,      // the mask itself is malformed
  // Internal to the matching; MatchPicture never answers these.
  Ambiguous,         // complete so far, but the rest of the mask is optional
  IncompleteNoFill,  // incomplete, but the next part is optional: fill nothing in
};

class TwwPictureValidator {
 public:
  static constexpr std::size_t kMaxMaskLength = 254;
  static constexpr std::size_t kMaxTextLength = 255;

  // The constructor is the component's Create: copies the mask and keeps the
  // fill option. caseRules, when given, must outlive the validator.
  TwwPictureValidator(std::string mask, bool autoFill,
                      const toolkit::TextCodec* caseRules = nullptr);

  const std::string& Mask() const { return mask_; }
  bool AutoFill() const { return autoFill_; }

  // Matches input against the mask, rewriting it in place; with autoFill the
  // literals that must follow an incomplete text are appended (never beyond
  // kMaxTextLength characters).
  TwwPictureResult MatchPicture(std::string& input, bool autoFill) const;

  // False only when the match answers Error; fills in when the fill option is
  // set and suppressFill is false. With no mask everything is accepted.
  bool AcceptsInput(std::string& input, bool suppressFill) const;

  // True when there is no mask, or the text (unchanged, no fill) is Complete
  // or Empty.
  bool AcceptsText(const std::string& text) const;

 private:
  std::string mask_;
  bool autoFill_;
  const toolkit::TextCodec* caseRules_;
};

}  // namespace data
