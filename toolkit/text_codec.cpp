#include "text_codec.h"

#include <iconv.h>
#include <locale.h>
#include <wctype.h>

#include <cerrno>
#include <cstdio>
#include <map>
#include <mutex>
#include <stdexcept>

#include "toolkit/utf8.h"

namespace toolkit {
namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

// The C library's name of a code page. Page 867 has no converter of its own;
// its closest neighbour, 862, stands in. 1051 is HP's Roman-8.
std::string iconvNameOf(int codePage) {
  if (codePage == 867) return "CP862";
  if (codePage == 1051) return "HP-ROMAN8";
  return "CP" + std::to_string(codePage);
}

class Converter {
 public:
  Converter(const std::string& to, const std::string& from)
      : cd_(iconv_open(to.c_str(), from.c_str())) {}
  ~Converter() {
    if (ok()) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
  iconv_t get() const { return cd_; }

 private:
  iconv_t cd_;
};

// Unicode's case rules, independent of the process's locale.
locale_t unicodeCaseLocale() {
  static const locale_t locale = [] {
    locale_t l = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
    if (l == static_cast<locale_t>(nullptr))
      l = newlocale(LC_CTYPE_MASK, "C.utf8", static_cast<locale_t>(nullptr));
    return l;
  }();
  return locale;
}

char32_t unicodeUpper(char32_t c) {
  if (locale_t l = unicodeCaseLocale(); l != static_cast<locale_t>(nullptr))
    return static_cast<char32_t>(towupper_l(static_cast<wint_t>(c), l));
  // Without a Unicode locale: ASCII and Latin-1 only.
  if ((c >= 'a' && c <= 'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7)) return c - 32;
  return c;
}

char32_t unicodeLower(char32_t c) {
  if (locale_t l = unicodeCaseLocale(); l != static_cast<locale_t>(nullptr))
    return static_cast<char32_t>(towlower_l(static_cast<wint_t>(c), l));
  if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) return c + 32;
  return c;
}

std::string refusalMessage(char32_t c, int codePage) {
  std::string shown;
  if (c >= 0x20 && c != 0x7F && c != 0xFFFD) shown = "\"" + utf8Encode(c) + "\" ";
  return "The character " + shown + "(" + unicodeName(c) + ") cannot be stored in code page " +
         std::to_string(codePage) + ".";
}

// Converts what is left of the input and appends it to out, flushing what a
// stateful page still holds back at the end. Answers false, with errno set and
// the input standing at the character, when a character cannot be converted.
bool convertAll(iconv_t converter, char*& in, size_t& inLeft, std::string& out) {
  char buffer[1024];
  for (;;) {
    char* outPtr = buffer;
    size_t outLeft = sizeof buffer;
    const size_t rc = inLeft == 0 ? iconv(converter, nullptr, nullptr, &outPtr, &outLeft)
                                  : iconv(converter, &in, &inLeft, &outPtr, &outLeft);
    out.append(buffer, static_cast<size_t>(outPtr - buffer));
    if (rc != static_cast<size_t>(-1)) {
      if (inLeft != 0) continue;
      outPtr = buffer;
      outLeft = sizeof buffer;
      iconv(converter, nullptr, nullptr, &outPtr, &outLeft);
      out.append(buffer, static_cast<size_t>(outPtr - buffer));
      return true;
    }
    if (errno != E2BIG) return false;
  }
}

}  // namespace

std::string unicodeName(char32_t c) {
  char text[16];
  std::snprintf(text, sizeof text, "U+%04X", static_cast<unsigned>(c));
  return text;
}

std::shared_ptr<const TextCodec> TextCodec::forCodePage(int codePage) {
  static std::mutex mutex;
  static std::map<int, std::shared_ptr<const TextCodec>> codecs;
  std::lock_guard lock(mutex);
  auto it = codecs.find(codePage);
  if (it != codecs.end()) return it->second;
  std::shared_ptr<const TextCodec> codec(new TextCodec(codePage));
  codecs.emplace(codePage, codec);
  return codec;
}

struct TextCodec::Converters {
  explicit Converters(const std::string& name) : decoder("UTF-8", name), encoder(name, "UTF-8") {}
  std::mutex mutex;
  Converter decoder;
  Converter encoder;
};

TextCodec::TextCodec(int codePage) : codePage_(codePage), iconvName_(iconvNameOf(codePage)) {
  if (codePage > 0) converters_ = std::make_unique<Converters>(iconvName_);
  if (!converters_ || !converters_->decoder.ok() || !converters_->encoder.ok())
    throw std::invalid_argument("Code page " + std::to_string(codePage) +
                                " is not known to this system's character conversion.");
  singleByte_ = !startsLongerCharacters();
  buildByteTables();
}

// A byte that iconv finds cut off when alone starts a character of two or
// more bytes (a lead byte of 932, 936, 949, 950, 1361, ...).
bool TextCodec::startsLongerCharacters() const {
  const Converter& converter = converters_->decoder;
  for (int b = 0x80; b < 0x100; ++b) {
    iconv(converter.get(), nullptr, nullptr, nullptr, nullptr);
    char byte = static_cast<char>(b);
    char* in = &byte;
    size_t inLeft = 1;
    char buffer[16];
    char* out = buffer;
    size_t outLeft = sizeof buffer;
    if (iconv(converter.get(), &in, &inLeft, &out, &outLeft) == static_cast<size_t>(-1) &&
        errno == EINVAL)
      return true;
  }
  return false;
}

TextCodec::~TextCodec() = default;

void TextCodec::buildByteTables() {
  for (int b = 0; b < 256; ++b) {
    upper_[b] = lower_[b] = static_cast<unsigned char>(b);
    if (b < 0x80 || singleByte_) {
      const char byte = static_cast<char>(b);
      std::string text = decodeWithIconv(std::string_view(&byte, 1));
      if (text == kReplacement) text.clear();
      decoded_[b] = text;
    }
  }
  for (int b = 255; b >= 0; --b) {
    const std::u32string characters = utf8Decode(decoded_[b]);
    if (characters.size() == 1) encoded_[characters[0]] = static_cast<unsigned char>(b);
  }
  for (int b = 0; b < 256; ++b) {
    if (!singleByte_ && b >= 0x80) continue;
    const std::u32string characters = utf8Decode(decoded_[b]);
    if (characters.size() != 1) continue;
    const auto upper = encoded_.find(unicodeUpper(characters[0]));
    if (upper != encoded_.end()) upper_[b] = upper->second;
    const auto lower = encoded_.find(unicodeLower(characters[0]));
    if (lower != encoded_.end()) lower_[b] = lower->second;
  }
}

std::string TextCodec::toUtf8(std::string_view tableText) const {
  if (!singleByte_) return decodeWithIconv(tableText);
  std::string out;
  out.reserve(tableText.size() + tableText.size() / 2);
  for (const char c : tableText) {
    const std::string& d = decoded_[static_cast<unsigned char>(c)];
    if (d.empty())
      out += kReplacement;
    else if (d.size() == 1)
      out += d[0];
    else
      out += d;
  }
  return out;
}

std::string TextCodec::decodeWithIconv(std::string_view tableText) const {
  std::lock_guard lock(converters_->mutex);
  const Converter& converter = converters_->decoder;
  iconv(converter.get(), nullptr, nullptr, nullptr, nullptr);  // a fresh shift state
  std::string out;
  out.reserve(tableText.size() * 2 + 8);
  char* in = const_cast<char*>(tableText.data());
  size_t inLeft = tableText.size();
  while (!convertAll(converter.get(), in, inLeft, out)) {
    out += kReplacement;
    if (errno == EINVAL) break;  // a character cut off at the end
    ++in;                        // EILSEQ: skip the byte it cannot read
    --inLeft;
  }
  return out;
}

bool TextCodec::encodeWithIconv(std::u32string_view characters, std::string& out) const {
  const std::string utf8 = utf8Encode(characters);
  std::lock_guard lock(converters_->mutex);
  const Converter& converter = converters_->encoder;
  iconv(converter.get(), nullptr, nullptr, nullptr, nullptr);
  char* in = const_cast<char*>(utf8.data());
  size_t inLeft = utf8.size();
  return convertAll(converter.get(), in, inLeft, out);
}

TextCodec::Encoded TextCodec::fromUtf8(std::string_view utf8) const {
  Encoded result;
  std::u32string characters;
  if (!utf8DecodeStrict(utf8, characters)) {
    result.refused = 0xFFFD;
    result.message = "The text is not valid UTF-8.";
    return result;
  }
  result.text.reserve(characters.size());
  for (const char32_t c : characters) {
    if (singleByte_) {
      const auto it = encoded_.find(c);
      if (it != encoded_.end()) {
        result.text += static_cast<char>(it->second);
        continue;
      }
    } else if (c < 0x80 && decoded_[c].size() == 1 && decoded_[c][0] == static_cast<char>(c)) {
      result.text += static_cast<char>(c);
      continue;
    }
    // Double-byte characters, and those a page writes as a letter and a
    // combining mark (1255, 1258), go through the converter.
    std::string bytes;
    if (c == 0xFFFD || !encodeWithIconv(std::u32string_view(&c, 1), bytes) || bytes.empty()) {
      result.text.clear();
      result.refused = c;
      result.message = refusalMessage(c, codePage_);
      return result;
    }
    result.text += bytes;
  }
  result.ok = true;
  return result;
}

std::string TextCodec::upperCase(std::string_view tableText) const {
  return mapCase(tableText, upper_);
}

std::string TextCodec::lowerCase(std::string_view tableText) const {
  return mapCase(tableText, lower_);
}

std::string TextCodec::mapCase(std::string_view tableText,
                               const std::array<unsigned char, 256>& map) const {
  std::string out(tableText);
  if (singleByte_) {
    for (char& c : out) c = static_cast<char>(map[static_cast<unsigned char>(c)]);
    return out;
  }
  // A byte above 127 starts a double-byte character whose second byte may
  // look like an ASCII letter: leave both alone.
  for (size_t i = 0; i < out.size(); ++i) {
    const auto b = static_cast<unsigned char>(out[i]);
    if (b >= 0x80)
      ++i;
    else
      out[i] = static_cast<char>(map[b]);
  }
  return out;
}

}  // namespace toolkit
