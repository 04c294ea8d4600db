#include "picture_matcher.h"

#include <algorithm>

namespace data::picture {

namespace {

using R = TwwPictureResult;

bool IsDigit(unsigned char c) {
  return c >= '0' && c <= '9';
}

// Code 128 itself is not a letter; every code above it is.
bool IsLetter(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c > 128;
}

// Literals are compared folding only a-z, whatever the locale says.
unsigned char FoldAsciiLower(unsigned char c) {
  return c >= 'a' && c <= 'z' ? static_cast<unsigned char>(c - 'a' + 'A') : c;
}

bool IsCompleteKind(R r) {
  return r == R::Complete || r == R::Ambiguous;
}
bool IsIncompleteKind(R r) {
  return r == R::Incomplete || r == R::IncompleteNoFill;
}

}  // namespace

Matcher::Matcher(std::string_view mask, std::string& text, const CaseConversion& upper,
                 const CaseConversion& lower)
    : mask_(mask), text_(text), upper_(upper), lower_(lower) {}

bool Matcher::Letter(unsigned char c) const {
  return IsLetter(c) || (c == 128 && code128IsLetter_);
}

unsigned char Matcher::At(int position) const {
  if (position < 1 || position > static_cast<int>(mask_.size())) return 0;
  return static_cast<unsigned char>(mask_[position - 1]);
}

void Matcher::Consume(unsigned char c) {
  text_[j_ - 1] = static_cast<char>(c);
  ++j_;
  ++p_;
}

TwwPictureResult Matcher::ProcessFromStart(int e) {
  p_ = 1;
  j_ = 1;
  return Process(e);
}

int Matcher::SkipItem(int p, int e) {
  return std::min(ItemEnd(p), e);
}

// A bounded skip is the unbounded walk cut at its bound, so the unbounded end
// of each item is worked out once per match: repetitions and alternatives
// skip the same items over and over.
int Matcher::ItemEnd(int p) {
  const int maskEnd = static_cast<int>(mask_.size()) + 1;
  if (p >= maskEnd) return maskEnd;
  Step();
  if (p >= static_cast<int>(itemEnd_.size())) return Walk(p, maskEnd, 0, 0);
  int& end = itemEnd_[p];
  if (end == 0) end = Walk(p, maskEnd, 0, 0);
  return end;
}

// Positions never pass e: a ";" just before the bound would step over it, so
// the result is held at the bound.
int Matcher::Walk(int p, int e, int square, int curly) {
  do {
    if (p >= e) break;
    Step();
    switch (At(p)) {
      case '{':
        ++curly;
        ++p;
        break;
      case '}':
        --curly;
        ++p;
        break;
      case '[':
        ++square;
        ++p;
        break;
      case ']':
        --square;
        ++p;
        break;
      case ';':
        p += 2;
        break;
      case '*':
        ++p;
        while (p < e && IsDigit(At(p))) ++p;
        p = SkipItem(p, e);
        break;
      default:
        ++p;
    }
  } while (square > 0 || curly > 0);
  return std::min(p, e);
}

bool Matcher::SkipToNextAlternative(int e) {
  while (p_ < e && At(p_) != ',') p_ = SkipItem(p_, e);
  if (p_ < e) ++p_;
  return p_ < e;
}

// Tries the alternatives that start at p_ one after another. An alternative
// that runs out of text is remembered, and a later complete one wins only if
// it got further into the text.
TwwPictureResult Matcher::Process(int e) {
  int p0 = p_;
  const int j0 = j_;
  bool incompleteSeen = false;
  int incompleteP = 0;
  int incompleteJ = 0;
  bool blankUsed = false;
  R r = R::Error;
  for (;;) {
    r = Scan(e, blankUsed);
    if (IsCompleteKind(r) && incompleteSeen && j_ < incompleteJ) {
      r = R::Incomplete;
      j_ = incompleteJ;
    }
    if (r != R::Error && r != R::Incomplete) break;
    const R provisional = r;
    if (!incompleteSeen && r == R::Incomplete) {
      incompleteSeen = true;
      incompleteP = p_;
      incompleteJ = j_;
    }
    p_ = p0;
    j_ = j0;
    if (!SkipToNextAlternative(e)) {
      if (incompleteSeen) {
        p_ = incompleteP;
        j_ = incompleteJ;
        return R::Incomplete;
      }
      return provisional;
    }
    p0 = p_;
  }
  return r == R::Complete && incompleteSeen ? R::Ambiguous : r;
}

// Matches one alternative from p_ up to e or the next ",".
TwwPictureResult Matcher::Scan(int e, bool& blankUsed) {
  R r = R::Empty;
  for (;;) {
    if (!Step()) return R::Syntax;
    if (p_ >= e || At(p_) == ',') return r == R::IncompleteNoFill ? R::Ambiguous : R::Complete;
    if (j_ > TextLength()) return CheckComplete(r, p_, e);
    const auto c = static_cast<unsigned char>(text_[j_ - 1]);
    switch (At(p_)) {
      case '#':
        if (!IsDigit(c)) return R::Error;
        Consume(c);
        break;
      case '?':
        if (!Letter(c)) return R::Error;
        Consume(c);
        break;
      case '&':
        if (!Letter(c)) return R::Error;
        Consume(upper_(c));
        break;
      case '~':
        if (!Letter(c)) return R::Error;
        Consume(lower_(c));
        break;
      case '!':
        Consume(upper_(c));
        break;
      case '@':
        Consume(c);
        break;
      case '*':
        r = Repetition(e);
        if (!IsCompleteKind(r)) return r;
        break;
      case '[':
        r = Group(e);
        if (IsIncompleteKind(r)) return r;
        // The optional group is passed over with the text where it was.
        if (r == R::Error) r = R::Ambiguous;
        break;
      case '{':
        r = Group(e);
        if (!IsCompleteKind(r)) return r;
        break;
      case ';':
        ++p_;
        if (!ConsumeLiteral(c, blankUsed)) return R::Error;
        break;
      default:
        if (!ConsumeLiteral(c, blankUsed)) return R::Error;
    }
    r = r == R::Ambiguous ? R::IncompleteNoFill : R::Incomplete;
  }
}

// A blank typed as the text's last character may stand for a literal, so the
// user can type a space where the mask has a separator; within one set of
// alternatives a trailing blank that already matched a literal blank may not
// stand for another literal.
bool Matcher::ConsumeLiteral(unsigned char c, bool& blankUsed) {
  const unsigned char literal = At(p_);
  const bool atLastCharacter = j_ == TextLength();
  if (FoldAsciiLower(literal) != FoldAsciiLower(c)) {
    if (c != ' ' || blankUsed || !atLastCharacter) return false;
  } else if (c == ' ' && atLastCharacter) {
    blankUsed = true;
  }
  Consume(literal);
  return true;
}

TwwPictureResult Matcher::Repetition(int e) {
  ++p_;
  unsigned char count = 0;  // read as an 8-bit value: a count of 256 is 0
  while (IsDigit(At(p_))) {
    count = static_cast<unsigned char>(count * 10 + (At(p_) - '0'));
    ++p_;
  }
  if (p_ > e) return R::Syntax;
  const int item = p_;
  const int itemEnd = SkipItem(item, e);
  R r = R::Empty;
  if (count > 0) {
    for (int i = 0; i < count; ++i) {
      p_ = item;
      r = Process(itemEnd);
      if (!IsCompleteKind(r)) {
        // Every repetition is required, unless the item is an optional group.
        if (r == R::Empty) return At(p_) == '[' ? R::Complete : R::Incomplete;
        return r;
      }
    }
  } else {
    int jBefore = 0;
    do {
      p_ = item;
      jBefore = j_;
      r = Process(itemEnd);
    } while (j_ > jBefore && IsCompleteKind(r));
    if (r == R::Empty || r == R::Error) r = R::Ambiguous;
  }
  p_ = itemEnd;
  return r;
}

TwwPictureResult Matcher::Group(int e) {
  const int groupEnd = SkipItem(p_, e);
  ++p_;
  const R r = Process(groupEnd - 1);
  if (!IsIncompleteKind(r)) p_ = groupEnd;
  return r;
}

// The text has run out: the match is complete when everything from p up to e
// can be left out.
TwwPictureResult Matcher::CheckComplete(TwwPictureResult r, int p, int e) {
  if (!IsIncompleteKind(r)) return r;
  int q = p;
  while (q < e) {
    if (!Step()) return R::Syntax;
    switch (At(q)) {
      case '*':
        if (IsDigit(At(q + 1))) {
          // Only a one-digit count of an optional group needs no input.
          if (At(q + 2) != '[' || q + 2 >= e) return r;
          q += 2;
        } else {
          q += 1;
        }
        q = SkipItem(q, e);
        break;
      case ',':
        // This alternative is finished: on to the end of the enclosing group.
        q = Walk(q, e, 0, 1);
        break;
      case '[':
        q = SkipItem(q, e);
        break;
      case '{': {
        const int groupEnd = SkipItem(q, e);
        if (!SomeAlternativeNeedsNoInput(q + 1, groupEnd - 1)) return r;
        q = groupEnd;
        break;
      }
      default:
        return r;
    }
  }
  return R::Ambiguous;
}

// Each alternative is walked up to and including its last character, and only
// the alternatives the matching itself would try count: a trailing empty one
// is never tried.
bool Matcher::SomeAlternativeNeedsNoInput(int first, int close) {
  int start = first;
  for (;;) {
    int end = start;
    while (end < close && At(end) != ',') end = SkipItem(end, close);
    if (CheckComplete(R::Incomplete, start, end) == R::Ambiguous) return true;
    if (BudgetExhausted() || end >= close) return false;
    start = end + 1;
    if (start >= close) return false;
  }
}

}  // namespace data::picture
