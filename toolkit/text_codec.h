// Text of a table's code page and Unicode (UTF-8), both ways, on the C
// library's iconv. The data layer keeps text as the table stores it, 8-bit in
// its code page; this codec converts only at the edge where text meets the
// screen, the keyboard, the clipboard or a printer, and gives the code page's
// case rules to the picture masks and comparisons. Qt-free.
//
// A codec is immutable once made and may be shared freely; forCodePage hands
// out one instance per code page.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

namespace toolkit {

class TextCodec {
 public:
  // The codec of a Paradox code page number (437, 850, 866, 1250-1258, 932,
  // 936, 949, 950, ...); throws std::invalid_argument naming the code page
  // when the C library has no converter for it.
  static std::shared_ptr<const TextCodec> forCodePage(int codePage);

  int codePage() const { return codePage_; }
  // True for the pages of one byte per character; the double-byte pages (932,
  // 936, 949, 950, ...) are not.
  bool singleByte() const { return singleByte_; }

  // Never fails: a byte or sequence the code page does not define becomes
  // U+FFFD.
  std::string toUtf8(std::string_view tableText) const;

  struct Encoded {
    bool ok = false;
    std::string text;      // the table's bytes when ok
    char32_t refused = 0;  // the first character the code page cannot hold
    std::string message;   // names that character, empty when ok
  };
  // Refuses text the code page cannot hold; nothing is silently replaced.
  Encoded fromUtf8(std::string_view utf8) const;

  // The case rules of this code page for one byte: Unicode's, as far as the
  // page holds the other case (the sharp s stays as it is). On double-byte
  // pages only ASCII letters change, since other bytes may be halves of a
  // character.
  unsigned char upperCase(unsigned char c) const { return upper_[c]; }
  unsigned char lowerCase(unsigned char c) const { return lower_[c]; }
  // Whole texts by those rules.
  std::string upperCase(std::string_view tableText) const;
  std::string lowerCase(std::string_view tableText) const;

  TextCodec(const TextCodec&) = delete;
  TextCodec& operator=(const TextCodec&) = delete;
  ~TextCodec();

 private:
  explicit TextCodec(int codePage);
  bool startsLongerCharacters() const;
  void buildByteTables();
  std::string decodeWithIconv(std::string_view tableText) const;
  bool encodeWithIconv(std::u32string_view characters, std::string& out) const;
  std::string mapCase(std::string_view tableText, const std::array<unsigned char, 256>& map) const;

  // The C library's converters, opened once; a lock keeps their shift state
  // to one conversion at a time.
  struct Converters;
  int codePage_;
  std::string iconvName_;
  std::unique_ptr<Converters> converters_;
  bool singleByte_ = true;
  // Single-byte pages decode through a table made by iconv at start: the UTF-8
  // of each byte, empty where the byte is undefined.
  std::array<std::string, 256> decoded_;
  std::unordered_map<char32_t, unsigned char> encoded_;
  std::array<unsigned char, 256> upper_{};
  std::array<unsigned char, 256> lower_{};
};

// "U+0416" style name of a character, for messages.
std::string unicodeName(char32_t c);

}  // namespace toolkit
