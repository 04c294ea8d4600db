#include "table_text.h"

#include <stdexcept>

#include "data/data_set.h"

namespace report {

TableText::TableText(const data::TDataSet& table) : table_(&table) {}

// Until the data set knows its table's code page: the tables' text is read as
// Latin-1.
std::string TableText::toUtf8(std::string_view tableText) const {
  std::string utf8;
  utf8.reserve(tableText.size());
  for (char c : tableText) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x80) {
      utf8.push_back(c);
    } else {
      utf8.push_back(static_cast<char>(0xC0 | (byte >> 6)));
      utf8.push_back(static_cast<char>(0x80 | (byte & 0x3F)));
    }
  }
  return utf8;
}

std::string TableText::fromUtf8(std::string_view utf8) const {
  std::string text;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const auto byte = static_cast<unsigned char>(utf8[i]);
    if (byte < 0x80) {
      text.push_back(utf8[i]);
    } else if ((byte & 0xE0) == 0xC0 && byte <= 0xC3 && i + 1 < utf8.size()) {
      text.push_back(static_cast<char>(((byte & 0x03) << 6) | (utf8[++i] & 0x3F)));
    } else {
      throw std::runtime_error("The table's code page cannot hold the text \"" + std::string(utf8) +
                               "\".");
    }
  }
  return text;
}

}  // namespace report
