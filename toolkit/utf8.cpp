#include "utf8.h"

namespace toolkit {
namespace {

// The character starting at text[i] and its length in bytes; length 0 when
// the bytes there are not well-formed UTF-8.
char32_t decodeOne(std::string_view text, size_t i, size_t& length) {
  const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[i + k]); };
  const unsigned char first = byte(0);
  length = 0;
  if (first < 0x80) {
    length = 1;
    return first;
  }
  size_t n;
  char32_t c;
  char32_t minimum;
  if ((first & 0xE0) == 0xC0) {
    n = 2, c = first & 0x1F, minimum = 0x80;
  } else if ((first & 0xF0) == 0xE0) {
    n = 3, c = first & 0x0F, minimum = 0x800;
  } else if ((first & 0xF8) == 0xF0) {
    n = 4, c = first & 0x07, minimum = 0x10000;
  } else {
    return 0;
  }
  if (i + n > text.size()) return 0;
  for (size_t k = 1; k < n; ++k) {
    if ((byte(k) & 0xC0) != 0x80) return 0;
    c = (c << 6) | (byte(k) & 0x3F);
  }
  if (c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0;
  length = n;
  return c;
}

}  // namespace

std::string utf8Encode(char32_t c) {
  std::string out;
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
  return out;
}

std::string utf8Encode(std::u32string_view characters) {
  std::string out;
  out.reserve(characters.size());
  for (const char32_t c : characters) out += utf8Encode(c);
  return out;
}

std::u32string utf8Decode(std::string_view utf8) {
  std::u32string out;
  out.reserve(utf8.size());
  for (size_t i = 0; i < utf8.size();) {
    size_t length;
    const char32_t c = decodeOne(utf8, i, length);
    out += length == 0 ? U'\uFFFD' : c;
    i += length == 0 ? 1 : length;
  }
  return out;
}

bool utf8DecodeStrict(std::string_view utf8, std::u32string& characters) {
  characters.clear();
  characters.reserve(utf8.size());
  for (size_t i = 0; i < utf8.size();) {
    size_t length;
    const char32_t c = decodeOne(utf8, i, length);
    if (length == 0) return false;
    characters += c;
    i += length;
  }
  return true;
}

}  // namespace toolkit
