// Text of a table, in its code page, to and from UTF-8 for the files the
// pdx tool exchanges, through the toolkit's codec. Text of plain ASCII,
// nearly all of it in most tables, is the same in both and is copied
// without conversion.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace pdx::tool {

class TableText {
 public:
  // A table that names no code page (every level 3 table, some later ones)
  // was written in the DOS code page of its time, 437.
  static constexpr int kDefaultCodePage = 437;

  // The conversion for code_page (0: kDefaultCodePage); false, with a
  // message, when this system cannot convert it.
  static bool Make(int code_page, std::unique_ptr<TableText>* text, std::string* error);
  ~TableText();

  // Appends the UTF-8 of text in the table's code page; a byte the code
  // page does not define becomes U+FFFD.
  void AppendUtf8(std::string_view text, std::string* out) const;
  // The table's bytes for UTF-8 text; false, with a message naming the
  // character, when the code page cannot hold it.
  bool FromUtf8(std::string_view utf8, std::string* out, std::string* message) const;

 private:
  struct Converter;
  TableText();
  std::unique_ptr<Converter> converter_;
};

// Whether every byte is below 0x80.
bool IsAscii(std::string_view text);

}  // namespace pdx::tool
