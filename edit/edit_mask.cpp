#include "edit/edit_mask.h"

#include <algorithm>

#include "toolkit/locale_settings.h"
#include "toolkit/text_codec.h"

namespace edit {

namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

std::string Quoted(const std::string& text) {
  return "Edit mask \"" + text + "\": ";
}

// The mask's parts, split at semicolons that are not escaped.
std::vector<std::string> SplitParts(const std::string& text) {
  std::vector<std::string> parts(1);
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size()) {
      parts.back() += text[i];
      parts.back() += text[++i];
    } else if (text[i] == ';') {
      parts.emplace_back();
    } else {
      parts.back() += text[i];
    }
  }
  return parts;
}

}  // namespace

std::optional<EditMask> EditMask::Parse(const std::string& text,
                                        const toolkit::LocaleSettings& locale,
                                        const toolkit::TextCodec* codec, std::string* error) {
  auto fail = [&](const std::string& why) -> std::optional<EditMask> {
    if (error) *error = Quoted(text) + why;
    return std::nullopt;
  };
  std::vector<std::string> parts = SplitParts(text);
  if (parts.size() > 3) return fail("it has more than three parts separated by \";\".");
  EditMask mask;
  mask.codec_ = codec;
  if (parts.size() > 1) {
    if (parts[1] == "0")
      mask.saveLiterals_ = false;
    else if (parts[1] != "1" && !parts[1].empty())
      return fail("its second part must be 0 (literals not saved) or 1 (saved).");
  }
  if (parts.size() > 2) {
    if (parts[2].size() != 1) return fail("its third part must be the one blank character.");
    mask.blank_ = parts[2][0];
  }

  const std::string& positions = parts[0];
  Case caseRule = Case::kAsTyped;
  auto add = [&](Accepts accepts, bool required) {
    mask.positions_.push_back({accepts, required, caseRule, 0});
  };
  auto literal = [&](char c) {
    mask.positions_.push_back({Accepts::kLiteral, false, caseRule, c});
  };
  for (size_t i = 0; i < positions.size(); ++i) {
    const char c = positions[i];
    switch (c) {
      case 'L':
        add(Accepts::kLetter, true);
        break;
      case 'l':
        add(Accepts::kLetter, false);
        break;
      case 'A':
        add(Accepts::kLetterOrDigit, true);
        break;
      case 'a':
        add(Accepts::kLetterOrDigit, false);
        break;
      case 'C':
        add(Accepts::kAny, true);
        break;
      case 'c':
        add(Accepts::kAny, false);
        break;
      case '0':
        add(Accepts::kDigit, true);
        break;
      case '9':
        add(Accepts::kDigit, false);
        break;
      case '#':
        add(Accepts::kDigitOrSign, false);
        break;
      case ':':
        literal(locale.timeSeparator);
        break;
      case '/':
        literal(locale.dateSeparator);
        break;
      case '!':
        mask.rightAligned_ = true;
        break;
      case '>':
        caseRule = Case::kUpper;
        break;
      case '<':
        if (i + 1 < positions.size() && positions[i + 1] == '>') {
          caseRule = Case::kAsTyped;
          ++i;
        } else {
          caseRule = Case::kLower;
        }
        break;
      case '\\':
        if (i + 1 == positions.size())
          return fail("it ends with \"\\\", which must be followed by the literal it marks.");
        literal(positions[++i]);
        break;
      default:
        literal(c);
        break;
    }
  }
  const bool anyEditable =
      std::any_of(mask.positions_.begin(), mask.positions_.end(),
                  [](const Position& p) { return p.accepts != Accepts::kLiteral; });
  if (!anyEditable) return fail("it has no position to type into.");
  return mask;
}

std::optional<char> EditMask::Fit(const Position& position, char c) const {
  const auto byte = static_cast<unsigned char>(c);
  const unsigned char upper =
      codec_ ? codec_->upperCase(byte) : static_cast<unsigned char>(std::toupper(byte));
  const unsigned char lower =
      codec_ ? codec_->lowerCase(byte) : static_cast<unsigned char>(std::tolower(byte));
  const bool letter = (byte < 128 && std::isalpha(byte)) || (byte >= 128 && upper != lower);
  bool fits = false;
  switch (position.accepts) {
    case Accepts::kLiteral:
      return std::nullopt;
    case Accepts::kLetter:
      fits = letter;
      break;
    case Accepts::kLetterOrDigit:
      fits = letter || IsDigit(c);
      break;
    case Accepts::kAny:
      fits = byte >= 32 && c != blank_;
      break;
    case Accepts::kDigit:
      fits = IsDigit(c);
      break;
    case Accepts::kDigitOrSign:
      fits = IsDigit(c) || c == '+' || c == '-';
      break;
  }
  if (!fits) return std::nullopt;
  if (position.caseRule == Case::kUpper) return static_cast<char>(upper);
  if (position.caseRule == Case::kLower) return static_cast<char>(lower);
  return c;
}

std::optional<std::string> EditMask::Place(const std::string& value, bool fromRight) const {
  const int count = static_cast<int>(positions_.size());
  std::string shown(positions_.size(), blank_);
  const int step = fromRight ? -1 : 1;
  int j = fromRight ? static_cast<int>(value.size()) - 1 : 0;
  auto more = [&] { return fromRight ? j >= 0 : j < static_cast<int>(value.size()); };
  for (int n = 0; n < count; ++n) {
    const int i = fromRight ? count - 1 - n : n;
    const Position& p = positions_[static_cast<size_t>(i)];
    if (p.accepts == Accepts::kLiteral) {
      shown[static_cast<size_t>(i)] = p.literal;
      if (saveLiterals_ && more() && value[static_cast<size_t>(j)] == p.literal) j += step;
      continue;
    }
    if (!more()) continue;
    std::optional<char> fitted = Fit(p, value[static_cast<size_t>(j)]);
    if (fitted) {
      shown[static_cast<size_t>(i)] = *fitted;
      j += step;
    } else if (p.required) {
      return std::nullopt;
    }
  }
  if (more()) return std::nullopt;
  return shown;
}

std::optional<std::string> EditMask::Format(const std::string& value) const {
  if (value.empty()) return Place(value, false);
  // A value that was stored with every position in place fits as it stands.
  if (value.size() == positions_.size()) {
    std::string shown = value;
    bool aligned = true;
    for (size_t i = 0; i < positions_.size() && aligned; ++i) {
      const Position& p = positions_[i];
      if (p.accepts == Accepts::kLiteral) {
        aligned = !saveLiterals_ ? false : value[i] == p.literal;
      } else if (value[i] == ' ' || value[i] == blank_) {
        shown[i] = blank_;
      } else {
        std::optional<char> fitted = Fit(p, value[i]);
        aligned = fitted.has_value();
        if (fitted) shown[i] = *fitted;
      }
    }
    if (aligned) return shown;
  }
  std::optional<std::string> shown = Place(value, rightAligned_);
  if (!shown && rightAligned_) shown = Place(value, false);
  return shown;
}

std::string EditMask::Value(const std::string& shown) const {
  const size_t count = std::min(shown.size(), positions_.size());
  bool typed = false;
  std::string value;
  for (size_t i = 0; i < count; ++i) {
    if (!Editable(i)) {
      if (saveLiterals_) value += positions_[i].literal;
    } else if (shown[i] != blank_) {
      value += shown[i];
      typed = true;
    }
  }
  return typed ? value : std::string();
}

bool EditMask::Complete(const std::string& shown) const {
  if (shown.size() != positions_.size()) return false;
  bool anyTyped = false;
  bool missing = false;
  for (size_t i = 0; i < positions_.size(); ++i) {
    if (!Editable(i)) continue;
    if (shown[i] != blank_)
      anyTyped = true;
    else if (positions_[i].required)
      missing = true;
  }
  return !anyTyped || !missing;
}

std::string EditMask::Blanked(const std::string& shown, int selStart, int selLength) const {
  std::string text = shown.size() == positions_.size() ? shown : Place("", false).value();
  const int count = static_cast<int>(positions_.size());
  for (int i = std::max(0, selStart); i < std::min(count, selStart + selLength); ++i) {
    if (Editable(static_cast<size_t>(i))) text[static_cast<size_t>(i)] = blank_;
  }
  return text;
}

int EditMask::SkipLiterals(const std::string& /*shown*/, int from) const {
  const int count = static_cast<int>(positions_.size());
  from = std::max(from, 0);
  while (from < count && !Editable(static_cast<size_t>(from))) ++from;
  return from;
}

EditMask::Edit EditMask::Type(const std::string& shown, int selStart, int selLength,
                              char key) const {
  Edit edit;
  edit.text = Blanked(shown, selStart, selLength);
  const int count = static_cast<int>(positions_.size());
  int at = std::clamp(selStart, 0, count);
  // Typing a literal where it stands steps over it.
  if (at < count && !Editable(static_cast<size_t>(at)) &&
      positions_[static_cast<size_t>(at)].literal == key) {
    edit.caret = SkipLiterals(edit.text, at + 1);
    return edit;
  }
  at = SkipLiterals(edit.text, at);
  std::optional<char> fitted =
      at < count ? Fit(positions_[static_cast<size_t>(at)], key) : std::nullopt;
  if (!fitted) {
    edit.text = shown;
    edit.caret = selStart;
    edit.refused = true;
    return edit;
  }
  edit.text[static_cast<size_t>(at)] = *fitted;
  edit.caret = SkipLiterals(edit.text, at + 1);
  return edit;
}

EditMask::Edit EditMask::Backspace(const std::string& shown, int selStart, int selLength) const {
  Edit edit;
  edit.text = Blanked(shown, selStart, selLength);
  if (selLength > 0) {
    edit.caret = selStart;
    return edit;
  }
  int at = std::min(selStart, static_cast<int>(positions_.size())) - 1;
  while (at >= 0 && !Editable(static_cast<size_t>(at))) --at;
  if (at < 0) {
    edit.caret = selStart;
    return edit;
  }
  edit.text[static_cast<size_t>(at)] = blank_;
  edit.caret = at;
  return edit;
}

EditMask::Edit EditMask::Delete(const std::string& shown, int selStart, int selLength) const {
  Edit edit;
  edit.text = Blanked(shown, selStart, selLength);
  edit.caret = selStart;
  if (selLength > 0) return edit;
  const int at = SkipLiterals(edit.text, selStart);
  if (at < static_cast<int>(positions_.size())) edit.text[static_cast<size_t>(at)] = blank_;
  return edit;
}

EditMask::Edit EditMask::Paste(const std::string& shown, int selStart, int selLength,
                               const std::string& text) const {
  Edit edit;
  edit.text = Blanked(shown, selStart, selLength);
  edit.caret = selStart;
  bool taken = false;
  for (char c : text) {
    Edit step = Type(edit.text, edit.caret, 0, c);
    if (step.refused) continue;
    taken = true;
    edit.text = step.text;
    edit.caret = step.caret;
  }
  if (!taken && !text.empty()) {
    edit.text = shown;
    edit.refused = true;
  }
  return edit;
}

}  // namespace edit
