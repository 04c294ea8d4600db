#include "field_codec.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "pdx_codes.h"

namespace pdx {
namespace {

std::vector<uint8_t> Bytes(std::initializer_list<int> list) {
  return std::vector<uint8_t>(list.begin(), list.end());
}

Field MakeField(FieldType type, uint8_t size_byte) {
  Field f;
  f.type = type;
  f.size_byte = size_byte;
  f.length = FieldLength(type, size_byte);
  return f;
}

std::string Text(const Field& field, const std::vector<uint8_t>& bytes) {
  std::string out;
  AppendFieldText(field, bytes.data(), &out);
  return out;
}

TEST(FieldCodec, IntegersUseTheFlippedBigEndianEncoding) {
  uint8_t b[4];
  ASSERT_TRUE(EncodeInteger(1, b, 2));
  EXPECT_EQ(std::vector<uint8_t>(b, b + 2), Bytes({0x80, 0x01}));
  ASSERT_TRUE(EncodeInteger(-1, b, 2));
  EXPECT_EQ(std::vector<uint8_t>(b, b + 2), Bytes({0x7F, 0xFF}));
  ASSERT_TRUE(EncodeInteger(-32767, b, 2));
  EXPECT_EQ(std::vector<uint8_t>(b, b + 2), Bytes({0x00, 0x01}));
  ASSERT_TRUE(EncodeInteger(-2, b, 4));
  EXPECT_EQ(std::vector<uint8_t>(b, b + 4), Bytes({0x7F, 0xFF, 0xFF, 0xFE}));
  EXPECT_EQ(DecodeInteger(Bytes({0x80, 0x00, 0x03, 0xE8}).data(), 4), 1000);
  EXPECT_EQ(DecodeInteger(Bytes({0x81, 0x00}).data(), 2), 256);
  // The most negative values encode as all zeros, which means blank.
  EXPECT_FALSE(EncodeInteger(-32768, b, 2));
  EXPECT_FALSE(EncodeInteger(32768, b, 2));
  EXPECT_FALSE(EncodeInteger(-2147483648LL, b, 4));
  EXPECT_TRUE(EncodeInteger(2147483647LL, b, 4));
}

TEST(FieldCodec, PaddingIsTheTrailingZerosAlone) {
  // Every length of value in every field length up to three words, with a
  // zero inside the value, so word-wise and byte-wise ends both show.
  for (size_t field_length = 0; field_length <= 24; ++field_length) {
    for (size_t value_length = 0; value_length <= field_length; ++value_length) {
      std::vector<uint8_t> data(field_length, 0);
      for (size_t i = 0; i < value_length; ++i) data[i] = i == value_length / 2 ? 0 : 'a';
      if (value_length > 0) data[value_length - 1] = 'z';
      EXPECT_EQ(LengthWithoutPadding(data.data(), field_length), value_length)
          << field_length << " " << value_length;
    }
  }
}

TEST(FieldCodec, EveryByteIsEscapedWhereverItStands) {
  auto expected = [](uint8_t c) -> std::string {
    switch (c) {
      case '\\':
        return "\\\\";
      case '\t':
        return "\\t";
      case '\n':
        return "\\n";
      case '\r':
        return "\\r";
    }
    if (c < 0x20 || c == 0x7F) {
      char hex[5];
      std::snprintf(hex, sizeof hex, "\\x%02x", c);
      return hex;
    }
    return std::string(1, static_cast<char>(c));
  };
  // Each byte at each place of a value spanning several words, beside
  // neighbours just inside and outside the escaped ranges.
  for (int c = 0; c < 256; ++c) {
    for (size_t at = 0; at < 19; ++at) {
      std::vector<uint8_t> value(19);
      for (size_t i = 0; i < value.size(); ++i) value[i] = "\x20\x7e\x80\x5b\x5d\xff"[i % 6];
      value[at] = static_cast<uint8_t>(c);
      std::string want;
      for (uint8_t byte : value) want += expected(byte);
      std::string got = "prefix";
      AppendEscaped(value.data(), value.size(), &got);
      EXPECT_EQ(got, "prefix" + want) << c << " at " << at;
    }
  }
}

TEST(FieldCodec, DoublesSortAsTheirBytes) {
  uint8_t b[8];
  EncodeDouble(100.5, b);
  EXPECT_EQ(std::vector<uint8_t>(b, b + 8), Bytes({0xC0, 0x59, 0x20, 0, 0, 0, 0, 0}));
  EncodeDouble(-100.5, b);
  EXPECT_EQ(std::vector<uint8_t>(b, b + 8),
            Bytes({0x3F, 0xA6, 0xDF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
  EncodeDouble(0.0, b);
  EXPECT_EQ(std::vector<uint8_t>(b, b + 8), Bytes({0x80, 0, 0, 0, 0, 0, 0, 0}));
  for (double v : {-1e300, -3.5, -0.0, 0.0, 1e-300, 2.75, 1e300}) {
    EncodeDouble(v, b);
    EXPECT_EQ(DecodeDouble(b), v);
    EXPECT_EQ(std::signbit(DecodeDouble(b)), std::signbit(v));
  }
}

TEST(FieldCodec, DayNumbersFollowTheProlepticGregorianCalendar) {
  EXPECT_EQ(DayNumberFromCivil(1, 1, 1), 1);
  EXPECT_EQ(DayNumberFromCivil(100, 1, 1), 36160);
  EXPECT_EQ(DayNumberFromCivil(1996, 5, 4), 728783);
  for (int64_t day : {-3652059LL, -1LL, 0LL, 1LL, 59LL, 60LL, 730119LL, 3652059LL}) {
    int64_t y;
    int m, d;
    CivilFromDayNumber(day, &y, &m, &d);
    EXPECT_EQ(DayNumberFromCivil(y, m, d), day);
  }
  int64_t y;
  int m, d;
  CivilFromDayNumber(0, &y, &m, &d);
  EXPECT_EQ(y * 10000 + m * 100 + d, 1231);  // 0000-12-31, the day before day 1
}

TEST(FieldCodec, DumpTextOfEachType) {
  EXPECT_EQ(Text(MakeField(FieldType::kTime, 4), Bytes({0x82, 0xF3, 0xC5, 0x8A})), "13:45:30.250");
  EXPECT_EQ(Text(MakeField(FieldType::kTimestamp, 8),
                 Bytes({0xC2, 0xCC, 0xF9, 0x8A, 0xCB, 0x19, 0x34, 0x00})),
            "2020-02-01 01:00:01.000");
  EXPECT_EQ(Text(MakeField(FieldType::kDate, 4), Bytes({0x80, 0x0B, 0x1E, 0xCF})), "1996-05-04");
  EXPECT_EQ(Text(MakeField(FieldType::kLogical, 1), Bytes({0x81})), "T");
  EXPECT_EQ(Text(MakeField(FieldType::kLogical, 1), Bytes({0x80})), "F");
  EXPECT_EQ(Text(MakeField(FieldType::kShort, 2), Bytes({0x7F, 0xFF})), "-1");
  EXPECT_EQ(Text(MakeField(FieldType::kNumber, 8), Bytes({0xBF, 0xF0, 0, 0, 0, 0, 0, 0})), "1");
  // Blank is every byte zero, for every type.
  EXPECT_EQ(Text(MakeField(FieldType::kNumber, 8), Bytes({0, 0, 0, 0, 0, 0, 0, 0})), "");
  EXPECT_EQ(Text(MakeField(FieldType::kTime, 4), Bytes({0x80, 0, 0, 0})), "00:00:00.000");
  // Alpha: bytes up to the trailing NULs, control bytes escaped, 8-bit bytes as they are.
  EXPECT_EQ(Text(MakeField(FieldType::kAlpha, 8), Bytes({'a', '\\', '\t', 0x01, 0x7F, 0xE9, 0, 0})),
            "a\\\\\\t\\x01\\x7f\xe9");
  EXPECT_EQ(Text(MakeField(FieldType::kBytes, 4), Bytes({0xAB, 0x00, 0x0C, 0x00})), "ab000c");
}

TEST(FieldCodec, NumbersPrintAsPrintfDoes) {
  Field number = MakeField(FieldType::kNumber, 8);
  for (double v : {0.1, 333.33, -222.22, 1e21, 123456789012345678.0, 5e-324, -0.0}) {
    std::vector<uint8_t> b(8);
    EncodeDouble(v, b.data());
    char expected[64];
    std::snprintf(expected, sizeof expected, "%.17g", v);
    EXPECT_EQ(Text(number, b), expected);
  }
}

TEST(FieldCodec, NumberTextIsPrintfsForWholeNumbersAndBinaryFractions) {
  // Values with a short exact decimal form take a quicker way to the same
  // text; the others, and the edges between, must come out as printf's too.
  Field field = MakeField(FieldType::kNumber, 8);
  auto check = [&](double value) {
    uint8_t record[8];
    EncodeDouble(value, record);
    std::string text;
    AppendFieldText(field, record, &text);
    char want[64];
    std::snprintf(want, sizeof want, "%.17g", value);
    ASSERT_EQ(text, want) << want;
  };
  for (double scale : {1.0, 1.0 / 1024, 1.0 / 2048, 0.1, 3.0, 1e6, 1024.0 * 1024 * 1024}) {
    for (int64_t n = -40000; n <= 40000; ++n) check(static_cast<double>(n) * scale);
  }
  for (double edge : {8796093022208.0, 8796093022207.999, 9007199254740991.0, 9007199254740992.0,
                      99999999999999999.0, 1e17, 1e16 + 1, 1.0 / 1024, 3.0 / 1024, 1e-4, 5e-5, -0.0,
                      1e300, -2.5e-300}) {
    check(edge);
    check(-edge);
  }
  uint64_t bits = 88172645463325252u;
  for (int i = 0; i < 20000; ++i) {
    bits ^= bits << 13, bits ^= bits >> 7, bits ^= bits << 17;
    const double value = std::bit_cast<double>(bits);
    if (std::isfinite(value)) check(value);
    check(std::ldexp(static_cast<double>(bits >> 20), -static_cast<int>(bits % 40)));
  }
}

TEST(FieldCodec, BcdDigitsSignAndDeclaredDecimals) {
  Field two = MakeField(FieldType::kBcd, 2);
  std::vector<uint8_t> positive =
      Bytes({0xC2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x01, 0x23});
  std::vector<uint8_t> negative = Bytes({0x42, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                         0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE, 0xDC});
  EXPECT_EQ(Text(two, positive), "1.23");
  EXPECT_EQ(Text(two, negative), "-1.23");
  std::vector<uint8_t> parsed(17);
  ASSERT_EQ(ParseFieldText(two, "-1.23", parsed.data()), PDX_OK);
  EXPECT_EQ(parsed, negative);
  ASSERT_EQ(ParseFieldText(two, "1.2", parsed.data()), PDX_OK);
  EXPECT_EQ(Text(two, parsed), "1.20");
  ASSERT_EQ(ParseFieldText(two, "-0", parsed.data()), PDX_OK);
  EXPECT_EQ(Text(two, parsed), "0.00");
  EXPECT_EQ(ParseFieldText(two, "1.234", parsed.data()), PDX_ERR_OUT_OF_RANGE);
  EXPECT_EQ(ParseFieldText(two, "1234567890123456789012345678901.5", parsed.data()),
            PDX_ERR_OUT_OF_RANGE);
  Field none = MakeField(FieldType::kBcd, 0);
  ASSERT_EQ(ParseFieldText(none, "42", parsed.data()), PDX_OK);
  EXPECT_EQ(Text(none, parsed), "42");
  Field all = MakeField(FieldType::kBcd, 32);
  ASSERT_EQ(ParseFieldText(all, "0.5", parsed.data()), PDX_OK);
  EXPECT_EQ(parsed[0], 0xE0);
  EXPECT_EQ(Text(all, parsed), "0.50000000000000000000000000000000");
  EXPECT_DOUBLE_EQ(DecodeBcd(negative.data(), 2), -1.23);
}

// Every type's text parses back to the same bytes.
TEST(FieldCodec, TextRoundTripsThroughParse) {
  struct Case {
    FieldType type;
    uint8_t size;
    const char* text;
  };
  const Case cases[] = {
      {FieldType::kAlpha, 10, "x\\ty\\\\z\\x1f\xfc"},
      {FieldType::kBytes, 4, "00ff10"},
      {FieldType::kShort, 2, "-32767"},
      {FieldType::kLong, 4, "2147483647"},
      {FieldType::kAutoIncrement, 4, "17"},
      {FieldType::kNumber, 8, "-0.10000000000000001"},
      {FieldType::kMoney, 8, "1234.5"},
      {FieldType::kLogical, 1, "F"},
      {FieldType::kDate, 4, "2024-02-29"},
      {FieldType::kDate, 4, "-0044-03-15"},
      {FieldType::kTime, 4, "23:59:59.999"},
      {FieldType::kTimestamp, 8, "0001-01-01 00:00:00.001"},
      {FieldType::kBcd, 4, "-12345.6789"},
  };
  for (const Case& c : cases) {
    Field f = MakeField(c.type, c.size);
    std::vector<uint8_t> record(f.length);
    ASSERT_EQ(ParseFieldText(f, c.text, record.data()), PDX_OK) << c.text;
    EXPECT_EQ(Text(f, record), c.text);
  }
}

TEST(FieldCodec, BadTextIsRefusedAndLeavesTheRecordAlone) {
  struct Case {
    FieldType type;
    uint8_t size;
    const char* text;
    pdx_code code;
  };
  const Case cases[] = {
      {FieldType::kAlpha, 3, "abcd", PDX_ERR_OUT_OF_RANGE},
      {FieldType::kAlpha, 3, "a\\q", PDX_ERR_OUT_OF_RANGE},
      {FieldType::kAlpha, 3, "a\\x4", PDX_ERR_OUT_OF_RANGE},
      {FieldType::kShort, 2, "32768", PDX_ERR_OUT_OF_RANGE},
      {FieldType::kShort, 2, "12a", PDX_ERR_OUT_OF_RANGE},
      {FieldType::kNumber, 8, "nan", PDX_ERR_OUT_OF_RANGE},
      {FieldType::kLogical, 1, "yes", PDX_ERR_OUT_OF_RANGE},
      {FieldType::kDate, 4, "2023-02-29", PDX_ERR_INVALID_DATE},
      {FieldType::kDate, 4, "23-01-01", PDX_ERR_INVALID_DATE},
      {FieldType::kTime, 4, "24:00:00.000", PDX_ERR_INVALID_TIME},
      {FieldType::kTime, 4, "12:00:00.1234", PDX_ERR_INVALID_TIME},
      {FieldType::kTimestamp, 8, "2020-01-01T00:00:00", PDX_ERR_INVALID_DATETIME},
      {FieldType::kBytes, 2, "abc", PDX_ERR_OUT_OF_RANGE},
      {FieldType::kBcd, 2, "1.", PDX_ERR_OUT_OF_RANGE},
  };
  for (const Case& c : cases) {
    Field f = MakeField(c.type, c.size);
    std::vector<uint8_t> record(f.length, 0x5A);
    EXPECT_EQ(ParseFieldText(f, c.text, record.data()), c.code) << c.text;
    EXPECT_EQ(record, std::vector<uint8_t>(f.length, 0x5A)) << c.text;
  }
}

}  // namespace
}  // namespace pdx
