// The edit mask without a widget: what the parts of a mask mean, typing over
// positions, stored values coming back into the mask, and malformed masks.
#include "edit/edit_mask.h"

#include <gtest/gtest.h>

#include "toolkit/locale_settings.h"
#include "toolkit/text_codec.h"

namespace edit {
namespace {

EditMask MaskOf(const std::string& text, const toolkit::TextCodec* codec = nullptr) {
  toolkit::LocaleSettings locale;
  locale.dateSeparator = '.';
  locale.timeSeparator = ':';
  std::string error;
  std::optional<EditMask> mask = EditMask::Parse(text, locale, codec, &error);
  EXPECT_TRUE(mask) << error;
  return mask.value_or(*EditMask::Parse("c", locale, nullptr, nullptr));
}

// Types the keys one after another from the caret, as the edit box does.
std::string TypeAll(const EditMask& mask, std::string shown, int caret, const std::string& keys,
                    int* refusals = nullptr) {
  for (char key : keys) {
    EditMask::Edit edit = mask.Type(shown, caret, 0, key);
    if (edit.refused && refusals) ++*refusals;
    shown = edit.text;
    caret = edit.caret;
  }
  return shown;
}

TEST(EditMask, TypingFillsPositionsStepsOverLiteralsAndRefusesWhatDoesNotFit) {
  EditMask phone = MaskOf("(000) 000-0000;1;_");
  const std::string empty = *phone.Format("");
  EXPECT_EQ(empty, "(___) ___-____");
  int refusals = 0;
  EXPECT_EQ(TypeAll(phone, empty, 0, "555x1234567", &refusals), "(555) 123-4567");
  EXPECT_EQ(refusals, 1);
  // The caret lands behind the literals that follow a typed position.
  EXPECT_EQ(phone.Type(empty, 3, 0, '9').caret, 6);
  // Typing the literal where it stands steps over it.
  EXPECT_EQ(phone.Type("(55_) ___-____", 3, 0, ')').refused, true);
  EXPECT_EQ(phone.Type("(555) ___-____", 4, 0, ')').caret, 6);
  EXPECT_TRUE(phone.Type("(555) 123-4567", 14, 0, '8').refused);
}

TEST(EditMask, SavedLiteralsBlankAndCaseDecideTheStoredValue) {
  EditMask saved = MaskOf("00/00;1;*");
  EditMask bare = MaskOf("00/00;0;*");
  EXPECT_EQ(saved.Value("12.34"), "12.34");
  EXPECT_EQ(bare.Value("12.34"), "1234");
  EXPECT_EQ(*saved.Format(""), "**.**");
  EXPECT_EQ(saved.Value("**.**"), "");
  // Stored values come back into their places, with or without literals.
  EXPECT_EQ(*saved.Format("12.34"), "12.34");
  EXPECT_EQ(*bare.Format("1234"), "12.34");

  EditMask code = MaskOf(">LL<ll<>c");
  EXPECT_EQ(TypeAll(code, *code.Format(""), 0, "abCDx"), "ABcdx");
  EXPECT_EQ(*code.Format("xyzzy"), "XYzzy");
  // Letters of the table's code page count as letters and take its case.
  auto cp1252 = toolkit::TextCodec::forCodePage(1252);
  EditMask upper = MaskOf(">L", cp1252.get());
  EXPECT_EQ(upper.Type("_", 0, 0, '\xe9').text, "\xc9");
  EXPECT_TRUE(upper.Type("_", 0, 0, '1').refused);
}

TEST(EditMask, ARequiredBlankIsIncompleteButNothingTypedIsAnEmptyValue) {
  EditMask mask = MaskOf("000-99;0");
  EXPECT_TRUE(mask.Complete("___-__"));
  EXPECT_FALSE(mask.Complete("12_-__"));
  EXPECT_TRUE(mask.Complete("123-__"));
  EXPECT_TRUE(mask.Complete("123-4_"));
  EXPECT_EQ(mask.Value("123-4_"), "1234");
}

TEST(EditMask, BackspaceDeleteAndSelectionsBlankPositionsButKeepLiterals) {
  EditMask mask = MaskOf("00-00");
  EditMask::Edit back = mask.Backspace("12-34", 3, 0);
  EXPECT_EQ(back.text, "1_-34");
  EXPECT_EQ(back.caret, 1);
  EditMask::Edit del = mask.Delete("12-34", 2, 0);
  EXPECT_EQ(del.text, "12-_4");
  EXPECT_EQ(del.caret, 2);
  EXPECT_EQ(mask.Delete("12-34", 1, 3).text, "1_-_4");
  EditMask::Edit over = mask.Type("12-34", 0, 5, '9');
  EXPECT_EQ(over.text, "9_-__");
  EXPECT_EQ(over.caret, 1);
  // Pasting types in what fits and skips the rest.
  EXPECT_EQ(mask.Paste("__-__", 0, 0, "1 2/3x4").text, "12-34");
  EXPECT_TRUE(mask.Paste("__-__", 0, 0, "ab").refused);
}

TEST(EditMask, AValueThatDoesNotFitIsNotForcedIntoTheMask) {
  EditMask mask = MaskOf("00-00;0");
  EXPECT_FALSE(mask.Format("123456"));
  EXPECT_FALSE(mask.Format("ab"));
  EditMask right = MaskOf("!9999;0; ");
  EXPECT_EQ(*right.Format("12"), "  12");
  EXPECT_EQ(right.Value("  12"), "12");
}

TEST(EditMask, MalformedMasksAreRefusedWithAReason) {
  toolkit::LocaleSettings locale;
  for (const char* text : {"00\\", "00;2", "00;1;__", "00;1;_;x", ">-<", ";1;_"}) {
    std::string error;
    EXPECT_FALSE(EditMask::Parse(text, locale, nullptr, &error)) << text;
    EXPECT_EQ(error.rfind(std::string("Edit mask \"") + text + "\": ", 0), 0u) << error;
    EXPECT_GT(error.size(), std::string(text).size() + 16) << error;
  }
  // An escaped semicolon is a literal, not a part separator.
  std::string error;
  std::optional<EditMask> escaped = EditMask::Parse("0\\;0;0", locale, nullptr, &error);
  ASSERT_TRUE(escaped) << error;
  EXPECT_EQ(escaped->Value("1;2"), "12");
}

}  // namespace
}  // namespace edit
