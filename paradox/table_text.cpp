#include "table_text.h"

#include <iconv.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

namespace pdx::tool {

// Until the toolkit's codec is in: iconv directly.
struct TableText::Converter {
  iconv_t to_utf8 = reinterpret_cast<iconv_t>(-1);
  iconv_t from_utf8 = reinterpret_cast<iconv_t>(-1);
  ~Converter() {
    if (to_utf8 != reinterpret_cast<iconv_t>(-1)) iconv_close(to_utf8);
    if (from_utf8 != reinterpret_cast<iconv_t>(-1)) iconv_close(from_utf8);
  }
};

bool IsAscii(std::string_view text) {
  size_t i = 0;
  for (; i + 8 <= text.size(); i += 8) {
    uint64_t word;
    std::memcpy(&word, text.data() + i, 8);
    if (word & 0x8080808080808080u) return false;
  }
  for (; i < text.size(); ++i)
    if (static_cast<unsigned char>(text[i]) >= 0x80) return false;
  return true;
}

TableText::TableText(int code_page)
    : code_page_(code_page), converter_(std::make_unique<Converter>()) {}
TableText::~TableText() = default;

bool TableText::Make(int code_page, std::unique_ptr<TableText>* text, std::string* error) {
  if (code_page == 0) code_page = kDefaultCodePage;
  std::unique_ptr<TableText> made(new TableText(code_page));
  const std::string name = "CP" + std::to_string(code_page);
  made->converter_->to_utf8 = iconv_open("UTF-8", name.c_str());
  made->converter_->from_utf8 = iconv_open(name.c_str(), "UTF-8");
  if (made->converter_->to_utf8 == reinterpret_cast<iconv_t>(-1) ||
      made->converter_->from_utf8 == reinterpret_cast<iconv_t>(-1)) {
    *error = "Code page " + std::to_string(code_page) +
             " is not known to this system's character conversion.";
    return false;
  }
  *text = std::move(made);
  return true;
}

void TableText::AppendUtf8(std::string_view text, std::string* out) const {
  if (IsAscii(text)) {
    out->append(text);
    return;
  }
  iconv(converter_->to_utf8, nullptr, nullptr, nullptr, nullptr);
  char* in = const_cast<char*>(text.data());
  size_t in_left = text.size();
  while (in_left > 0) {
    char buffer[1024];
    char* at = buffer;
    size_t left = sizeof buffer;
    size_t rc = iconv(converter_->to_utf8, &in, &in_left, &at, &left);
    out->append(buffer, at - buffer);
    if (rc == static_cast<size_t>(-1) && errno != E2BIG) {
      out->append("\xEF\xBF\xBD");
      ++in;
      --in_left;
    }
  }
}

bool TableText::FromUtf8(std::string_view utf8, std::string* out, std::string* message) const {
  out->clear();
  if (IsAscii(utf8)) {
    out->assign(utf8);
    return true;
  }
  iconv(converter_->from_utf8, nullptr, nullptr, nullptr, nullptr);
  char* in = const_cast<char*>(utf8.data());
  size_t in_left = utf8.size();
  while (in_left > 0) {
    char buffer[1024];
    char* at = buffer;
    size_t left = sizeof buffer;
    size_t rc = iconv(converter_->from_utf8, &in, &in_left, &at, &left);
    out->append(buffer, at - buffer);
    if (rc == static_cast<size_t>(-1) && errno != E2BIG) {
      *message = "The text holds a character that cannot be stored in code page " +
                 std::to_string(code_page_) + ".";
      return false;
    }
  }
  return true;
}

}  // namespace pdx::tool
