#include "text_wrap.h"

namespace toolkit {

namespace {

// Splits at CR, LF, CR LF and LF CR.
std::vector<std::string> splitLineEnds(std::string_view text) {
  std::vector<std::string> lines(1);
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      const char pair = c == '\r' ? '\n' : '\r';
      if (i + 1 < text.size() && text[i + 1] == pair) ++i;
      lines.emplace_back();
    } else {
      lines.back() += c;
    }
  }
  return lines;
}

std::string expandTabs(const std::string& line, bool expand) {
  std::string out;
  std::size_t column = 0;  // in UTF-8 code points
  for (char c : line) {
    if (c == '\t') {
      const std::size_t next = expand ? (column / 8 + 1) * 8 : column + 1;
      out.append(next - column, ' ');
      column = next;
      continue;
    }
    out += c;
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++column;
  }
  return out;
}

std::string withoutLeadingBlanks(const std::string& text) {
  const std::size_t first = text.find_first_not_of(' ');
  return first == std::string::npos ? std::string() : text.substr(first);
}

void wrapOneLine(const std::string& line, int width,
                 const std::function<int(std::string_view)>& measure,
                 std::vector<std::string>& out) {
  std::string current;
  std::size_t pos = 0;
  while (pos < line.size()) {
    // The next piece: blanks, then a word.
    std::size_t end = pos;
    while (end < line.size() && line[end] == ' ') ++end;
    while (end < line.size() && line[end] != ' ') ++end;
    const std::string piece = line.substr(pos, end - pos);
    if (!current.empty() && measure(current + piece) > width) {
      out.push_back(current);
      current = withoutLeadingBlanks(piece);
    } else {
      current += piece;
    }
    pos = end;
  }
  out.push_back(current);
}

}  // namespace

std::vector<std::string> wrapText(std::string_view text, int width, bool wordBreak,
                                  bool expandTabsToStops,
                                  const std::function<int(std::string_view)>& measure) {
  std::vector<std::string> result;
  for (const std::string& raw : splitLineEnds(text)) {
    const std::string line = expandTabs(raw, expandTabsToStops);
    if (wordBreak)
      wrapOneLine(line, width, measure, result);
    else
      result.push_back(line);
  }
  return result;
}

}  // namespace toolkit
