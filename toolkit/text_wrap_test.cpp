#include "text_wrap.h"

#include <gtest/gtest.h>

namespace toolkit {
namespace {

// Every character 1 wide.
int byLength(std::string_view text) {
  return static_cast<int>(text.size());
}

using Lines = std::vector<std::string>;

TEST(TextWrap, EveryKindOfLineEndBreaksOnce) {
  EXPECT_EQ(wrapText("a\rb\nc\r\nd\n\re", 100, true, false, byLength),
            (Lines{"a", "b", "c", "d", "e"}));
  EXPECT_EQ(wrapText("a\n\nb", 100, false, false, byLength), (Lines{"a", "", "b"}));
}

TEST(TextWrap, WordsFillLinesGreedilyAndWrappedLinesLoseLeadingBlanks) {
  EXPECT_EQ(wrapText("one two three four", 9, true, false, byLength),
            (Lines{"one two", "three", "four"}));
  EXPECT_EQ(wrapText("ab   cd", 4, true, false, byLength), (Lines{"ab", "cd"}));
  EXPECT_EQ(wrapText("  lead", 10, true, false, byLength), (Lines{"  lead"}))
      << "the first line keeps its blanks";
  EXPECT_EQ(wrapText("one two", 3, false, false, byLength), (Lines{"one two"}));
}

TEST(TextWrap, AWordWiderThanTheBoxStaysWholeOnItsOwnLine) {
  EXPECT_EQ(wrapText("a verylongword b", 5, true, false, byLength),
            (Lines{"a", "verylongword", "b"}));
}

TEST(TextWrap, TabsExpandToEightCharacterStopsOrCountAsOneBlank) {
  EXPECT_EQ(wrapText("ab\tc", 100, true, true, byLength), (Lines{"ab      c"}));
  EXPECT_EQ(wrapText("ab\tc", 100, true, false, byLength), (Lines{"ab c"}));
  EXPECT_EQ(wrapText("\xc3\xa9\tc", 100, true, true, byLength), (Lines{"\xc3\xa9       c"}))
      << "a two-byte character is one column";
}

}  // namespace
}  // namespace toolkit
