#include "table_text.h"

#include <cstdint>
#include <cstring>
#include <stdexcept>

#include "toolkit/text_codec.h"

namespace pdx::tool {

struct TableText::Converter {
  std::shared_ptr<const toolkit::TextCodec> codec;
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

TableText::TableText() : converter_(std::make_unique<Converter>()) {}
TableText::~TableText() = default;

bool TableText::Make(int code_page, std::unique_ptr<TableText>* text, std::string* error) {
  if (code_page == 0) code_page = kDefaultCodePage;
  std::unique_ptr<TableText> made(new TableText());
  try {
    made->converter_->codec = toolkit::TextCodec::forCodePage(code_page);
  } catch (const std::invalid_argument& unknown) {
    *error = unknown.what();
    return false;
  }
  *text = std::move(made);
  return true;
}

void TableText::AppendUtf8(std::string_view text, std::string* out) const {
  if (IsAscii(text))
    out->append(text);
  else
    out->append(converter_->codec->toUtf8(text));
}

bool TableText::FromUtf8(std::string_view utf8, std::string* out, std::string* message) const {
  if (IsAscii(utf8)) {
    out->assign(utf8);
    return true;
  }
  toolkit::TextCodec::Encoded encoded = converter_->codec->fromUtf8(utf8);
  if (!encoded.ok) {
    *message = encoded.message;
    return false;
  }
  *out = std::move(encoded.text);
  return true;
}

}  // namespace pdx::tool
