#include "picture_validator.h"

#include <gtest/gtest.h>

#include <string>

#include "toolkit/locale_settings.h"

namespace data {
namespace {

using R = TwwPictureResult;

struct Outcome {
  R result;
  std::string text;
  bool operator==(const Outcome&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Outcome& o) {
  return out << "{result " << static_cast<int>(o.result) << ", text \"" << o.text << "\"}";
}

Outcome Match(const std::string& mask, std::string text, bool autoFill = false) {
  const R result = TwwPictureValidator(mask, autoFill).MatchPicture(text, autoFill);
  return {result, text};
}

R Result(const std::string& mask, const std::string& text) {
  return Match(mask, text).result;
}

TEST(PictureValidator, DigitsAnswerEachResultByHowFarTheTextGets) {
  EXPECT_EQ(Result("###", "12"), R::Incomplete);
  EXPECT_EQ(Result("###", "123"), R::Complete);
  EXPECT_EQ(Result("###", "12a"), R::Error);
  EXPECT_EQ(Result("###", "1234"), R::Error);  // a character is left over
  EXPECT_EQ(Result("###", ""), R::Empty);
}

// Stored pictures such as "###,??" offer alternatives of the whole picture,
// as a comma does inside braces.
TEST(PictureValidator, ACommaOutsideAnyGroupSeparatesWholePictureAlternatives) {
  EXPECT_EQ(Result("###,??", "123"), R::Complete);
  EXPECT_EQ(Result("###,??", "ab"), R::Complete);
  EXPECT_EQ(Result("###,??", "12a"), R::Error);
  EXPECT_EQ(Result("###,??", "a1"), R::Error);
  EXPECT_EQ(Match("&#,##&", "a1"), (Outcome{R::Complete, "A1"}));
  EXPECT_EQ(Match("&#,##&", "12b"), (Outcome{R::Complete, "12B"}));
}

TEST(PictureValidator, CaseConversionsRewriteTheText) {
  EXPECT_EQ(Match("&&&", "abc"), (Outcome{R::Complete, "ABC"}));
  EXPECT_EQ(Match("~~~", "AbC"), (Outcome{R::Complete, "abc"}));
  EXPECT_EQ(Match("!!!", "a1-"), (Outcome{R::Complete, "A1-"}));
  EXPECT_EQ(Match("??", "aB"), (Outcome{R::Complete, "aB"}));
  EXPECT_EQ(Result("&", "1"), R::Error);
  EXPECT_EQ(Result("~", "-"), R::Error);
}

TEST(PictureValidator, LettersIncludeEveryCodeAbove128ButNot128) {
  EXPECT_EQ(Result("?", "\x81"), R::Complete);
  EXPECT_EQ(Result("?", "\xff"), R::Complete);
  EXPECT_EQ(Result("?", "\x80"), R::Error);
  EXPECT_EQ(Result("@", "\x80"), R::Complete);
}

class PictureValidatorLocale : public ::testing::Test {
 protected:
  void TearDown() override { toolkit::setLocaleSettings(saved_); }
  toolkit::LocaleSettings saved_ = toolkit::localeSettings();
};

TEST_F(PictureValidatorLocale, UpperAndLowerCaseComeFromTheLocaleSettings) {
  EXPECT_EQ(Match("&~", "\xe9\xc9"), (Outcome{R::Complete, "\xc9\xe9"}));
  toolkit::LocaleSettings fixed;
  fixed.upperCase = [](unsigned char c) -> unsigned char { return c == 'q' ? 'Z' : c; };
  fixed.lowerCase = [](unsigned char c) -> unsigned char { return c == 'Q' ? 'y' : c; };
  toolkit::setLocaleSettings(fixed);
  EXPECT_EQ(Match("&!~", "qqQ"), (Outcome{R::Complete, "ZZy"}));
}

TEST(PictureValidator, LiteralsFoldOnlyAToZAndStoreTheMasksCharacter) {
  EXPECT_EQ(Match("AbC", "aBc"), (Outcome{R::Complete, "AbC"}));
  EXPECT_EQ(Result("\xc9", "\xe9"), R::Error);
  EXPECT_EQ(Result("\xc9", "\xc9"), R::Complete);
}

TEST(PictureValidator, EscapeMakesSpecialCharactersLiterals) {
  EXPECT_EQ(Result(";#", "#"), R::Complete);
  EXPECT_EQ(Result(";#", "1"), R::Error);
  EXPECT_EQ(Result(";;#", ";5"), R::Complete);
  EXPECT_EQ(Result(";*", "*"), R::Complete);
  EXPECT_EQ(Result(";{#;}", "{1}"), R::Complete);
  EXPECT_EQ(Match("#;*#", "1", true), (Outcome{R::Incomplete, "1*"}));
}

TEST(PictureValidator, MalformedMasksAnswerSyntaxForEveryText) {
  for (const std::string mask : {"", "##;", "#*", "*", "[#", "#]", "{#", "{#}}", ";[#]"}) {
    for (const std::string text : {"", "1", "12"}) {
      EXPECT_EQ(Result(mask, text), R::Syntax) << "mask " << mask << " text " << text;
    }
  }
  EXPECT_EQ(Result("#;*", "1*"), R::Complete);
  // Only the final counts matter.
  EXPECT_NE(Result("]#[", "1"), R::Syntax);
}

TEST(PictureValidator, AutoFillAppendsTheLiteralsThatMustFollow) {
  EXPECT_EQ(Match("###-####", "555", true), (Outcome{R::Incomplete, "555-"}));
  EXPECT_EQ(Match("###-####", "555", false), (Outcome{R::Incomplete, "555"}));
  EXPECT_EQ(Match("(###) ###", "(555", true), (Outcome{R::Incomplete, "(555) "}));
  EXPECT_EQ(Match("##/##/##", "12/31", true), (Outcome{R::Incomplete, "12/31/"}));
  EXPECT_EQ(Match("{abc,xyz}", "x", true), (Outcome{R::Complete, "xyz"}));
  EXPECT_EQ(Match("###", "", true), (Outcome{R::Empty, ""}));
}

TEST(PictureValidator, AutoFillStopsAtOptionalParts) {
  // An optional group may come next: nothing is filled in before it.
  EXPECT_EQ(Match("###[-]##", "123", true), (Outcome{R::Incomplete, "123"}));
  // After an open repetition the user may type more of it.
  EXPECT_EQ(Match("*#-#", "12", true), (Outcome{R::Incomplete, "12"}));
  EXPECT_EQ(Match("##-#", "12", true), (Outcome{R::Incomplete, "12-"}));
  // An optional group that was passed over does not block the fill after it.
  EXPECT_EQ(Match("[(###)]###-####", "555", true), (Outcome{R::Incomplete, "555-"}));
}

TEST(PictureValidator, ATrailingBlankStandsForOneLiteral) {
  EXPECT_EQ(Match("###-####", "555 ", true), (Outcome{R::Incomplete, "555-"}));
  EXPECT_EQ(Match("###-####", "555 ", false), (Outcome{R::Incomplete, "555-"}));
  // Only as the last character, and never for a digit.
  EXPECT_EQ(Result("###-####", "555 1"), R::Error);
  EXPECT_EQ(Result("###-####", "555  "), R::Error);
  EXPECT_EQ(Result("###-####", "55 "), R::Error);
  // A trailing blank that one alternative kept as its own literal blank cannot
  // be rewritten into another alternative's literal.
  EXPECT_EQ(Match("{a b,a-c}", "a "), (Outcome{R::Incomplete, "a "}));
  EXPECT_EQ(Match("{a-c,a b}", "a "), (Outcome{R::Incomplete, "a-"}));
}

TEST(PictureValidator, OptionalGroups) {
  EXPECT_EQ(Result("[###]", ""), R::Empty);
  EXPECT_EQ(Result("[###]", "12"), R::Incomplete);
  EXPECT_EQ(Result("[###]", "123"), R::Complete);
  EXPECT_EQ(Result("#[#]", "1"), R::Complete);
  EXPECT_EQ(Result("#[#]", "12"), R::Complete);
  EXPECT_EQ(Result("#[#]", "1a"), R::Error);
  EXPECT_EQ(Result("[(###)]###-####", "(555)123-4567"), R::Complete);
  EXPECT_EQ(Result("[(###)]###-####", "123-4567"), R::Complete);
  EXPECT_EQ(Result("[(###)]###-####", "(55"), R::Incomplete);
}

TEST(PictureValidator, AlternativesLeaveRewrittenCharactersBehind) {
  // The first alternative stores its literal before it is abandoned.
  EXPECT_EQ(Match("{Yes,No}", "y"), (Outcome{R::Incomplete, "Y"}));
  EXPECT_EQ(Match("{Yes,No}", "No"), (Outcome{R::Complete, "No"}));
  EXPECT_EQ(Match("{Yes,No}", "n"), (Outcome{R::Incomplete, "N"}));
  EXPECT_EQ(Result("{Yes,No}", "x"), R::Error);
  EXPECT_EQ(Match("{&b,?c}", "ac"), (Outcome{R::Complete, "Ac"}));
  EXPECT_EQ(Match("{&b,~c}", "Ac"), (Outcome{R::Complete, "ac"}));
}

TEST(PictureValidator, ACompleteAlternativeWinsOnlyIfItGetsFurther) {
  EXPECT_EQ(Result("{##a,#}", "12"), R::Incomplete);
  EXPECT_EQ(Result("{#a,##}", "12"), R::Complete);
  EXPECT_EQ(Result("{##a,##}", "12"), R::Complete);
  EXPECT_EQ(Result("{#,##}", "12"), R::Error);  // the first complete one is taken
}

TEST(PictureValidator, Repetitions) {
  EXPECT_EQ(Result("*#", "0123456789"), R::Complete);
  EXPECT_EQ(Result("*#", "12a4"), R::Error);
  EXPECT_EQ(Match("*&", "abc"), (Outcome{R::Complete, "ABC"}));
  EXPECT_EQ(Result("*3#", "12"), R::Incomplete);
  EXPECT_EQ(Result("*3#", "123"), R::Complete);
  EXPECT_EQ(Result("*3#", "1234"), R::Error);
  EXPECT_EQ(Result("*2{ab}", "aba"), R::Incomplete);
  EXPECT_EQ(Result("*2{ab}", "abab"), R::Complete);
  EXPECT_EQ(Result("*{#,-}x", "1-2x"), R::Complete);
  EXPECT_EQ(Match("*{&*?[ ]}", "big red dog"), (Outcome{R::Complete, "Big Red Dog"}));
}

TEST(PictureValidator, TheRepetitionCountIsAnEightBitValue) {
  EXPECT_EQ(Result("*256#", "12345"), R::Complete);  // 256 reads as 0: any number
  EXPECT_EQ(Result("*257#", "1"), R::Complete);      // 257 reads as 1
  EXPECT_EQ(Result("*257#", "12"), R::Error);
}

TEST(PictureValidator, OptionalGroupsInsideRepetitions) {
  EXPECT_EQ(Result("*3[#]", "12"), R::Complete);
  EXPECT_EQ(Result("*3[#]", "123"), R::Complete);
  EXPECT_EQ(Result("*3[#]", "1234"), R::Error);
  EXPECT_EQ(Result("*2[#]x", "1x"), R::Complete);
  // A repetition of something that matches nothing stops instead of looping.
  EXPECT_EQ(Result("*[#]", "12"), R::Complete);
  EXPECT_EQ(Result("*[#]", "12a"), R::Error);
  EXPECT_EQ(Result("*[#]x", "12x"), R::Complete);
}

TEST(PictureValidator, ARequiredCharacterAfterAnOptionalOneInAnAlternativeIsRequired) {
  EXPECT_EQ(Result("#{[a]b,c}", "1"), R::Incomplete);
  EXPECT_EQ(Result("#{[a]b,c}", "1ab"), R::Complete);
  EXPECT_EQ(Result("#{[a]b,c}", "1c"), R::Complete);
  EXPECT_EQ(Result("#{[a],c}", "1"), R::Complete);
  EXPECT_EQ(Result("#{,a}", "1"), R::Complete);
  // A trailing empty alternative is never tried, so it does not count here either.
  EXPECT_EQ(Result("#{a,}", "1"), R::Incomplete);
  EXPECT_EQ(Result("#{a,}", "1b"), R::Error);
}

TEST(PictureValidator, LengthLimits) {
  const std::string mask254 = std::string(253, '#') + "x";
  EXPECT_EQ(Result(mask254, std::string(253, '1') + "X"), R::Complete);
  EXPECT_EQ(Result(mask254 + "y", std::string(253, '1') + "xy"), R::Syntax);
  EXPECT_EQ(Result("*@", std::string(255, 'a')), R::Complete);
  EXPECT_EQ(Result("*@", std::string(256, 'a')), R::Error);
  // Auto-fill never grows the text beyond 255 characters.
  EXPECT_EQ(Match("*255#--", std::string(255, '1'), true),
            (Outcome{R::Incomplete, std::string(255, '1')}));
  EXPECT_EQ(Match("*254#--", std::string(254, '1'), true),
            (Outcome{R::Incomplete, std::string(254, '1') + "-"}));
}

TEST(PictureValidator, HostileMasksStopAtTheStepBudget) {
  // Millions of repetitions that each match nothing.
  const std::string text(255, 'b');
  EXPECT_EQ(Result("*255{*255{*255{[a]}}}", text), R::Syntax);
  EXPECT_EQ(Result("*255{*255{*255{*255{[a]}}}}", "b"), R::Syntax);
  // Heavy but ordinary nesting still gets its exact answer.
  EXPECT_EQ(Result("*9{*9{[a]}}b", "b"), R::Complete);
  EXPECT_EQ(Result("*{*{*{*{*{*{#}}}}}}", std::string(255, '7')), R::Complete);
  EXPECT_EQ(Result("*{*{*{*{*{*{#}}}}}}", std::string(254, '7') + "x"), R::Error);
  // A repetition of every printable character as an alternative of its own.
  std::string everyCharacter = "*{";
  for (char c = ' '; c <= '~'; ++c) {
    if (std::string("#?&~!@;*[]{},").find(c) != std::string::npos) everyCharacter += ';';
    everyCharacter += c;
    everyCharacter += c == '~' ? '}' : ',';
  }
  // As many one-character alternatives as a mask holds.
  std::string mostAlternatives = "*{";
  for (int code = 130; code < 256; ++code) {
    mostAlternatives += static_cast<char>(code);
    mostAlternatives += code == 255 ? '}' : ',';
  }
  ASSERT_EQ(mostAlternatives.size(), TwwPictureValidator::kMaxMaskLength);
  EXPECT_EQ(Result(mostAlternatives, std::string(255, '\xff')), R::Complete);
  ASSERT_LE(everyCharacter.size(), TwwPictureValidator::kMaxMaskLength);
  EXPECT_EQ(Result(everyCharacter, std::string(255, '~')), R::Complete);
  EXPECT_EQ(Result(everyCharacter, std::string(254, '~') + "\x7f"), R::Error);
}

TEST(PictureValidator, AcceptsInputRefusesOnlyErrors) {
  std::string text = "555";
  EXPECT_TRUE(TwwPictureValidator("###-####", true).AcceptsInput(text, false));
  EXPECT_EQ(text, "555-");
  text = "555";
  EXPECT_TRUE(TwwPictureValidator("###-####", true).AcceptsInput(text, true));
  EXPECT_EQ(text, "555");
  EXPECT_TRUE(TwwPictureValidator("###-####", false).AcceptsInput(text, false));
  EXPECT_EQ(text, "555");
  text = "55a";
  EXPECT_FALSE(TwwPictureValidator("###", false).AcceptsInput(text, false));
  text = "anything";
  EXPECT_TRUE(TwwPictureValidator("", false).AcceptsInput(text, false));
  EXPECT_TRUE(TwwPictureValidator("[#", false).AcceptsInput(text, false));
}

TEST(PictureValidator, AcceptsTextNeedsACompleteOrEmptyTextAndChangesNothing) {
  const TwwPictureValidator validator("&&", true);
  EXPECT_TRUE(validator.AcceptsText("ab"));
  EXPECT_TRUE(validator.AcceptsText(""));
  EXPECT_FALSE(validator.AcceptsText("a"));
  EXPECT_FALSE(validator.AcceptsText("a1"));
  EXPECT_TRUE(TwwPictureValidator("", false).AcceptsText("x"));
  EXPECT_FALSE(TwwPictureValidator("[#", false).AcceptsText("1"));
}

}  // namespace
}  // namespace data
