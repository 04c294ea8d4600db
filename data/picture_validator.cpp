#include "picture_validator.h"

#include <utility>

#include "picture_matcher.h"
#include "toolkit/locale_settings.h"

namespace data {

namespace {

using R = TwwPictureResult;

// Counting runs left to right and only the final counts matter, so "][" is
// balanced here; the matching copes with such masks on its own.
bool SyntaxIsValid(const std::string& mask) {
  if (mask.empty() || mask.size() > TwwPictureValidator::kMaxMaskLength) return false;
  const char last = mask.back();
  if (last == ';') return false;
  if (last == '*' && (mask.size() < 2 || mask[mask.size() - 2] != ';')) return false;
  int square = 0;
  int curly = 0;
  for (std::size_t i = 0; i < mask.size(); ++i) {
    switch (mask[i]) {
      case ';':
        ++i;
        break;
      case '[':
        ++square;
        break;
      case ']':
        --square;
        break;
      case '{':
        ++curly;
        break;
      case '}':
        --curly;
        break;
      default:
        break;
    }
  }
  return square == 0 && curly == 0;
}

// Auto-fill stops at anything that asks for input or opens a choice.
bool StopsFill(unsigned char c) {
  switch (c) {
    case '#':
    case '?':
    case '&':
    case '!':
    case '@':
    case '*':
    case '{':
    case '}':
    case '[':
    case ']':
    case ',':
    case '~':
    case '\0':
      return true;
    default:
      return false;
  }
}

// Appends the literals that must follow from mask position p (1-based);
// answers whether anything was appended.
bool AppendLiterals(const std::string& mask, int p, std::string& input) {
  const int length = static_cast<int>(mask.size());
  bool appended = false;
  while (p <= length && !StopsFill(static_cast<unsigned char>(mask[p - 1])) &&
         input.size() < TwwPictureValidator::kMaxTextLength) {
    if (mask[p - 1] == ';') ++p;
    if (p > length) break;
    input.push_back(mask[p - 1]);
    appended = true;
    ++p;
  }
  return appended;
}

R ToCallersView(R r) {
  if (r == R::Ambiguous) return R::Complete;
  if (r == R::IncompleteNoFill) return R::Incomplete;
  return r;
}

}  // namespace

TwwPictureValidator::TwwPictureValidator(std::string mask, bool autoFill,
                                         const toolkit::TextCodec* caseRules)
    : mask_(std::move(mask)), autoFill_(autoFill), caseRules_(caseRules) {}

TwwPictureResult TwwPictureValidator::MatchPicture(std::string& input, bool autoFill) const {
  if (!SyntaxIsValid(mask_)) return R::Syntax;
  if (input.empty()) return R::Empty;
  if (input.size() > kMaxTextLength) return R::Error;

  const toolkit::LocaleSettings& locale = toolkit::localeSettings();
  picture::Matcher::CaseConversion upper = locale.upperCase, lower = locale.lowerCase;
  if (caseRules_ != nullptr) {
    upper = [codec = caseRules_](unsigned char c) { return codec->upperCase(c); };
    lower = [codec = caseRules_](unsigned char c) { return codec->lowerCase(c); };
  }
  picture::Matcher matcher(mask_, input, upper, lower);
  if (caseRules_ != nullptr && caseRules_->singleByte() &&
      caseRules_->upperCase(0x80) != caseRules_->lowerCase(0x80))
    matcher.TreatCode128AsLetter();
  const int end = static_cast<int>(mask_.size()) + 1;
  R r = matcher.ProcessFromStart(end);
  if (r != R::Error && r != R::Syntax && matcher.J() <= static_cast<int>(input.size())) {
    r = R::Error;  // characters are left over
  }
  if (r == R::Incomplete && autoFill && !matcher.BudgetExhausted() &&
      AppendLiterals(mask_, matcher.P(), input)) {
    r = matcher.ProcessFromStart(end);
  }
  if (matcher.BudgetExhausted()) return R::Syntax;
  return ToCallersView(r);
}

bool TwwPictureValidator::AcceptsInput(std::string& input, bool suppressFill) const {
  if (mask_.empty()) return true;
  return MatchPicture(input, autoFill_ && !suppressFill) != R::Error;
}

bool TwwPictureValidator::AcceptsText(const std::string& text) const {
  if (mask_.empty()) return true;
  std::string copy = text;
  const R r = MatchPicture(copy, false);
  return r == R::Complete || r == R::Empty;
}

}  // namespace data
