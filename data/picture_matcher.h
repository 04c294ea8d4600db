// The recursive matching behind TwwPictureValidator::MatchPicture, for one
// call: mask and text positions are 1-based as the mask language counts them,
// and the text is rewritten in place as characters are consumed.
//
// Positions are plain ints, never 8-bit counters, so a position one past a
// 255-character text cannot wrap to 0. Every step counts against one budget
// per matcher; once it is spent every routine unwinds at once (Scan answers
// Syntax) and the caller is told through BudgetExhausted().
#pragma once

#include <array>
#include <functional>
#include <string>
#include <string_view>

#include "picture_validator.h"

namespace data::picture {

// A step is one pass of Scan's loop, of an item skip or of the walk over what
// may be left out. Practical masks need a few thousand on a 255-character
// text. The costliest mask we know that is not made to stall, a repetition of
// 126 one-character alternatives (as many as 254 characters hold) matching
// the last one 255 times, needs about 65,000; it and a spent budget each take
// a few hundred microseconds on a 2.4 GHz core.
inline constexpr long kStepBudget = 75'000;

class Matcher {
 public:
  using CaseConversion = std::function<unsigned char(unsigned char)>;
  Matcher(std::string_view mask, std::string& text, const CaseConversion& upper,
          const CaseConversion& lower);

  // Runs Process from mask position 1 and text position 1 with end bound e.
  TwwPictureResult ProcessFromStart(int e);
  int P() const { return p_; }
  int J() const { return j_; }
  bool BudgetExhausted() const { return steps_ > kStepBudget; }
  long Steps() const { return steps_; }
  // For code pages where code 128 is a letter (the capital A of the Cyrillic
  // DOS page), which the classic rule leaves out.
  void TreatCode128AsLetter() { code128IsLetter_ = true; }

 private:
  TwwPictureResult Process(int e);
  TwwPictureResult Scan(int e, bool& blankUsed);
  // Consumes the literal at p_ for text character c; false when c cannot stand for it.
  bool ConsumeLiteral(unsigned char c, bool& blankUsed);
  TwwPictureResult Repetition(int e);
  TwwPictureResult Group(int e);
  TwwPictureResult CheckComplete(TwwPictureResult r, int p, int e);
  bool SomeAlternativeNeedsNoInput(int first, int close);
  // The position just past the item at p, at most e.
  int SkipItem(int p, int e);
  int ItemEnd(int p);
  int Walk(int p, int e, int square, int curly);
  bool SkipToNextAlternative(int e);

  // The mask character at a position, NUL outside the mask.
  unsigned char At(int position) const;
  bool Letter(unsigned char c) const;
  int TextLength() const { return static_cast<int>(text_.size()); }
  void Consume(unsigned char c);
  // Counts one step; false once the budget is spent.
  bool Step() { return ++steps_ <= kStepBudget; }

  std::string_view mask_;
  std::string& text_;
  const CaseConversion& upper_;
  const CaseConversion& lower_;
  bool code128IsLetter_ = false;
  int p_ = 1;
  int j_ = 1;
  long steps_ = 0;
  // Unbounded item ends by mask position, 0 while not yet known.
  std::array<int, TwwPictureValidator::kMaxMaskLength + 2> itemEnd_{};
};

}  // namespace data::picture
