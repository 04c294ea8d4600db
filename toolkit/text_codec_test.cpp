#include "toolkit/text_codec.h"

#include <gtest/gtest.h>

#include <QString>
#include <stdexcept>

#include "toolkit/qt_text.h"

namespace toolkit {
namespace {

TEST(TextCodecTest, SingleBytePagesDecodeTheirLettersAndEncodeThemBackByteForByte) {
  struct Case {
    int codePage;
    std::string bytes;
    std::string utf8;
  };
  const Case cases[] = {
      {866, "\x8C\xAE\xE1\xAA\xA2\xA0", "Москва"},
      {1251, "\xCC\xEE\xF1\xEA\xE2\xE0", "Москва"},
      {1252, "\x80 5 \xE9t\xE9 \xDF", "€ 5 été ß"},
      {437, "\x82t\x82 \xE1 \x9C", "été ß £"},
      {850, "\x90t\x82 \xD5", "Été ı"},
      {1255, "\xF9\xEC\xE5\xED", "שלום"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.codePage);
    const auto codec = TextCodec::forCodePage(c.codePage);
    EXPECT_EQ(codec->toUtf8(c.bytes), c.utf8);
    const TextCodec::Encoded encoded = codec->fromUtf8(c.utf8);
    ASSERT_TRUE(encoded.ok) << encoded.message;
    EXPECT_EQ(encoded.text, c.bytes);
  }
}

TEST(TextCodecTest, EveryDefinedByteOfEverySingleBytePageSurvivesTheRoundTrip) {
  for (int page : {437, 737,  850,  852,  857,  860,  861,  862,  863,  865,
                   866, 1250, 1251, 1252, 1253, 1254, 1255, 1256, 1257, 1258}) {
    SCOPED_TRACE(page);
    const auto codec = TextCodec::forCodePage(page);
    int defined = 0;
    for (int b = 1; b < 256; ++b) {
      const std::string byte(1, static_cast<char>(b));
      const std::string utf8 = codec->toUtf8(byte);
      if (utf8 == "\xEF\xBF\xBD") continue;
      ++defined;
      const TextCodec::Encoded back = codec->fromUtf8(utf8);
      ASSERT_TRUE(back.ok) << b << ": " << back.message;
      EXPECT_EQ(back.text, byte) << b;
    }
    EXPECT_GE(defined, 230);  // the Windows pages leave a few holes
  }
}

TEST(TextCodecTest, DoubleBytePagesConvertWholeCharactersAndMarkBrokenOnes) {
  const auto japanese = TextCodec::forCodePage(932);
  EXPECT_FALSE(japanese->singleByte());
  const std::string tokyo = "\x93\x8C\x8B\x9E";  // 東京
  EXPECT_EQ(japanese->toUtf8("A" + tokyo + "z"), "A東京z");
  EXPECT_EQ(japanese->fromUtf8("A東京z").text, "A" + tokyo + "z");
  // A lead byte cut off at the end of the field.
  EXPECT_EQ(japanese->toUtf8("ab\x93"), "ab\xEF\xBF\xBD");
  for (int page : {936, 949, 950}) {
    const auto codec = TextCodec::forCodePage(page);
    const TextCodec::Encoded encoded = codec->fromUtf8("中");
    ASSERT_TRUE(encoded.ok) << page;
    EXPECT_EQ(encoded.text.size(), 2u) << page;
    EXPECT_EQ(codec->toUtf8(encoded.text), "中") << page;
  }
}

TEST(TextCodecTest, UndefinedBytesDecodeAsReplacementCharacters) {
  // 0x81 is unassigned in code page 1252, 0x98 in 1251.
  EXPECT_EQ(TextCodec::forCodePage(1252)->toUtf8("a\x81z"), "a\xEF\xBF\xBDz");
  EXPECT_EQ(TextCodec::forCodePage(1251)->toUtf8("\x98"), "\xEF\xBF\xBD");
}

TEST(TextCodecTest, RefusesACharacterThePageCannotHoldAndNamesIt) {
  const TextCodec::Encoded cyrillicIn1252 = TextCodec::forCodePage(1252)->fromUtf8("abЖ");
  EXPECT_FALSE(cyrillicIn1252.ok);
  EXPECT_EQ(cyrillicIn1252.refused, U'Ж');
  EXPECT_EQ(cyrillicIn1252.message,
            "The character \"Ж\" (U+0416) cannot be stored in code page 1252.");
  EXPECT_TRUE(cyrillicIn1252.text.empty());

  const TextCodec::Encoded euroIn866 = TextCodec::forCodePage(866)->fromUtf8("5 €");
  EXPECT_FALSE(euroIn866.ok);
  EXPECT_EQ(euroIn866.refused, U'€');

  const TextCodec::Encoded replacement = TextCodec::forCodePage(1252)->fromUtf8("\xEF\xBF\xBD");
  EXPECT_FALSE(replacement.ok);

  const TextCodec::Encoded broken = TextCodec::forCodePage(1252)->fromUtf8("a\xC3");
  EXPECT_FALSE(broken.ok);
  EXPECT_EQ(broken.message, "The text is not valid UTF-8.");
}

TEST(TextCodecTest, UnknownCodePagesAreRefusedWithTheirNumber) {
  try {
    TextCodec::forCodePage(4242);
    FAIL() << "no exception";
  } catch (const std::invalid_argument& e) {
    EXPECT_NE(std::string(e.what()).find("4242"), std::string::npos) << e.what();
  }
  EXPECT_THROW(TextCodec::forCodePage(0), std::invalid_argument);
}

TEST(TextCodecTest, CaseRulesFollowTheCodePage) {
  const auto dos = TextCodec::forCodePage(866);
  EXPECT_EQ(dos->upperCase(0xA0), 0x80);  // а -> А
  EXPECT_EQ(dos->lowerCase(0x9F), 0xEF);  // Я -> я
  EXPECT_EQ(dos->upperCase(std::string_view("\xAF\xE0\xA8\xa2\xa5\xe2, world")),
            "\x8F\x90\x88\x82\x85\x92, WORLD");

  const auto western = TextCodec::forCodePage(1252);
  EXPECT_EQ(western->upperCase(0xFF), 0x9F);                      // ÿ -> Ÿ, which Latin-1 lacks
  EXPECT_EQ(western->upperCase(0xDF), 0xDF);                      // ß has no capital in the page
  EXPECT_EQ(western->upperCase(0xF7), 0xF7);                      // ÷ is no letter
  EXPECT_EQ(TextCodec::forCodePage(437)->upperCase(0x82), 0x90);  // é -> É

  // A double-byte character's second byte may be an ASCII letter.
  const auto japanese = TextCodec::forCodePage(932);
  const std::string text = "a\x83\x61";  // a, then katakana "ア" whose second byte is 'a'
  EXPECT_EQ(japanese->upperCase(std::string_view(text)), "A\x83\x61");
}

TEST(QtTextTest, ConvertsAtTheQtEdgeAndReportsRefusals) {
  const auto codec = TextCodec::forCodePage(866);
  EXPECT_EQ(tableTextToQString(*codec, "\x8C\xA8\xE0"), QString::fromUtf8("Мир"));
  QString error;
  EXPECT_EQ(qStringToTableText(*codec, QString::fromUtf8("Мир"), &error), "\x8C\xA8\xE0");
  EXPECT_TRUE(error.isEmpty());
  EXPECT_FALSE(qStringToTableText(*codec, QString::fromUtf8("Welt €"), &error).has_value());
  EXPECT_EQ(error,
            QString::fromUtf8("The character \"€\" (U+20AC) cannot be stored in code page 866."));
}

}  // namespace
}  // namespace toolkit
