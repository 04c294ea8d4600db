#include "base64.h"

#include <array>
#include <cstdint>

namespace pdx::tool {
namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

constexpr std::array<int8_t, 256> kValues = [] {
  std::array<int8_t, 256> values{};
  values.fill(-1);
  for (int i = 0; i < 64; ++i) values[static_cast<uint8_t>(kAlphabet[i])] = static_cast<int8_t>(i);
  return values;
}();

}  // namespace

void AppendBase64(std::string_view bytes, std::string* out) {
  const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
  const size_t n = bytes.size();
  size_t at = out->size();
  out->resize(at + (n + 2) / 3 * 4);
  char* p = out->data() + at;
  size_t i = 0;
  for (; i + 3 <= n; i += 3) {
    const uint32_t v = (data[i] << 16) | (data[i + 1] << 8) | data[i + 2];
    *p++ = kAlphabet[v >> 18];
    *p++ = kAlphabet[(v >> 12) & 63];
    *p++ = kAlphabet[(v >> 6) & 63];
    *p++ = kAlphabet[v & 63];
  }
  if (i < n) {
    const uint32_t v = (data[i] << 16) | (i + 1 < n ? data[i + 1] << 8 : 0);
    *p++ = kAlphabet[v >> 18];
    *p++ = kAlphabet[(v >> 12) & 63];
    *p++ = i + 1 < n ? kAlphabet[(v >> 6) & 63] : '=';
    *p++ = '=';
  }
}

bool DecodeBase64(std::string_view text, std::string* bytes) {
  bytes->clear();
  if (text.size() % 4 != 0) return false;
  size_t padding = 0;
  while (padding < 2 && padding < text.size() && text[text.size() - 1 - padding] == '=') ++padding;
  bytes->reserve(text.size() / 4 * 3);
  uint32_t bits = 0;
  int count = 0;
  for (size_t i = 0; i < text.size() - padding; ++i) {
    const int8_t v = kValues[static_cast<uint8_t>(text[i])];
    if (v < 0) return false;
    bits = (bits << 6) | static_cast<uint32_t>(v);
    if (++count == 4) {
      bytes->push_back(static_cast<char>(bits >> 16));
      bytes->push_back(static_cast<char>(bits >> 8));
      bytes->push_back(static_cast<char>(bits));
      bits = 0;
      count = 0;
    }
  }
  if (count == 2) {
    if ((bits & 0x0F) != 0) return false;  // bits beyond the last byte must be zero
    bytes->push_back(static_cast<char>(bits >> 4));
  } else if (count == 3) {
    if ((bits & 0x03) != 0) return false;
    bytes->push_back(static_cast<char>(bits >> 10));
    bytes->push_back(static_cast<char>(bits >> 2));
  }
  return true;
}

}  // namespace pdx::tool
