#include "table_text.h"

#include <stdexcept>

#include "data/data_set.h"
#include "toolkit/text_codec.h"

namespace report {

TableText::TableText(const data::TDataSet& table) : codec_(&table.textCodec()) {}

std::string TableText::toUtf8(std::string_view tableText) const {
  return codec_->toUtf8(tableText);
}

std::string TableText::fromUtf8(std::string_view utf8) const {
  toolkit::TextCodec::Encoded encoded = codec_->fromUtf8(utf8);
  if (!encoded.ok)
    throw std::runtime_error("The report's text cannot be written in the table's code page: " +
                             encoded.message);
  return std::move(encoded.text);
}

}  // namespace report
