// The table's 8-bit text and the program's UTF-8 text, for the report: field
// labels and values go to the printer as Unicode, and the report's own texts
// go into a report file in the table's code page.
#pragma once

#include <string>
#include <string_view>

namespace data {
class TDataSet;
}
namespace toolkit {
class TextCodec;
}

namespace report {

class TableText {
 public:
  explicit TableText(const data::TDataSet& table);

  std::string toUtf8(std::string_view tableText) const;
  // Throws std::runtime_error naming the character the code page cannot hold.
  std::string fromUtf8(std::string_view utf8) const;

 private:
  // The table's, which lives as long as the process.
  const toolkit::TextCodec* codec_;
};

}  // namespace report
