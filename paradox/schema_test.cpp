#include "schema.h"

#include <gtest/gtest.h>

#include "pdx_codes.h"

namespace pdx {
namespace {

TEST(Schema, ReadsFieldsKeysDirectivesAndChecks) {
  TableSchema schema;
  std::string error;
  ASSERT_EQ(ParseSchema("Account No\tA8*\n"
                        "Opened\tD\n"
                        "Balance\t$\n"
                        "Notes\tM40\n"
                        "Price\t#4\n"
                        "level 5.0\r\n"
                        "blocksize 4096\n"
                        "password two words\n"
                        "check Account No picture ###-####\n"
                        "check account no required\n"
                        "check Balance min -1000.5\n"
                        "check Balance max 1e6\n"
                        "check Opened default 2001-02-03\n",
                        &schema, &error),
            PDX_OK)
      << error;
  ASSERT_EQ(schema.fields.size(), 5u);
  EXPECT_EQ(schema.fields[0].name, "Account No");
  EXPECT_EQ(schema.fields[0].type, 'A');
  EXPECT_EQ(schema.fields[0].size, 8);
  EXPECT_TRUE(schema.fields[0].key);
  EXPECT_EQ(schema.KeyFieldCount(), 1);
  EXPECT_EQ(schema.level, 50);
  EXPECT_EQ(schema.block_size, 4096);
  EXPECT_EQ(schema.password, "two words");
  EXPECT_EQ(schema.RecordSize(), 8 + 4 + 8 + 50 + 17);
  EXPECT_EQ(schema.KeySize(), 8);
  // Checks come out in field order, one per field, lines merged.
  ASSERT_EQ(schema.checks.size(), 3u);
  EXPECT_EQ(schema.checks[0].field_index, 0);
  EXPECT_TRUE(schema.checks[0].required);
  EXPECT_EQ(schema.checks[0].picture, "###-####");
  EXPECT_EQ(schema.checks[1].field_index, 1);
  EXPECT_EQ(schema.checks[1].default_value, "2001-02-03");
  EXPECT_EQ(schema.checks[2].minimum, "-1000.5");
  EXPECT_EQ(schema.checks[2].maximum, "1e6");
  EXPECT_FALSE(schema.checks[2].picture.has_value());
}

TEST(Schema, DefaultsToLevelSevenAndTwoKilobyteBlocks) {
  TableSchema schema;
  std::string error;
  ASSERT_EQ(ParseSchema("Id\t+*\nName\tA20\n", &schema, &error), PDX_OK) << error;
  EXPECT_EQ(schema.level, 70);
  EXPECT_EQ(schema.block_size, 2048);
  EXPECT_TRUE(schema.password.empty());
}

TEST(Schema, EveryTypeHasItsStoredLength) {
  TableSchema schema;
  std::string error;
  ASSERT_EQ(ParseSchema("a\tA20\nb\tS\nc\tI\nd\tN\ne\t$\nf\tD\ng\tT\nh\t@\ni\tL\nj\t+\n"
                        "k\tM10\nl\tF10\nm\tB0\nn\tG10\no\tO10\np\t#2\nq\tY8\n",
                        &schema, &error),
            PDX_OK)
      << error;
  const int expected[] = {20, 2, 4, 8, 8, 4, 4, 8, 1, 4, 20, 20, 10, 20, 20, 17, 8};
  ASSERT_EQ(schema.fields.size(), std::size(expected));
  for (size_t i = 0; i < schema.fields.size(); ++i)
    EXPECT_EQ(TableSchema::StoredLength(schema.fields[i]), expected[i]) << schema.fields[i].name;
}

struct Refusal {
  const char* text;
  pdx_code code;
  const char* says;  // part of the error text
};

class SchemaRefusal : public testing::TestWithParam<Refusal> {};

TEST_P(SchemaRefusal, AnswersCodeAndNamesTheLine) {
  TableSchema schema;
  std::string error;
  EXPECT_EQ(ParseSchema(GetParam().text, &schema, &error), GetParam().code) << error;
  EXPECT_NE(error.find(GetParam().says), std::string::npos) << error;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SchemaRefusal,
    testing::Values(
        Refusal{"", PDX_ERR_INVALID_PARAMETER, "at least one field"},
        Refusal{"a\tQ\n", PDX_ERR_INVALID_FIELD_TYPE, "line 1: unknown field type"},
        Refusal{"a\tA0\n", PDX_ERR_INVALID_FIELD_TYPE, "from 1 to 255"},
        Refusal{"a\tA256\n", PDX_ERR_INVALID_FIELD_TYPE, "from 1 to 255"},
        Refusal{"a\tAx\n", PDX_ERR_INVALID_FIELD_TYPE, "size"},
        Refusal{"a\tS4\n", PDX_ERR_INVALID_FIELD_TYPE, "takes no size"},
        Refusal{"a\tM0\n", PDX_ERR_INVALID_FIELD_TYPE, "from 1 to 240"},
        Refusal{"a\t#33\n", PDX_ERR_INVALID_FIELD_TYPE, "from 0 to 32"},
        Refusal{"a\tM10*\n", PDX_ERR_INVALID_FIELD_TYPE, "blob field cannot be a key"},
        Refusal{"a\tS\nb\tS*\n", PDX_ERR_INVALID_PARAMETER, "line 2: key fields must come first"},
        Refusal{"a\tS\nA\tS\n", PDX_ERR_INVALID_FIELD_NAME, "used twice"},
        Refusal{"\tS\n", PDX_ERR_INVALID_FIELD_NAME, "1 to 25"},
        Refusal{"abcdefghijklmnopqrstuvwxyz\tS\n", PDX_ERR_INVALID_FIELD_NAME, "1 to 25"},
        Refusal{"a\tI\nlevel 4.0\n", PDX_ERR_HIGHER_LEVEL_REQUIRED, "level 5.0"},
        Refusal{"a\tM10\nlevel 3.5\n", PDX_ERR_HIGHER_LEVEL_REQUIRED, "level 4.0"},
        Refusal{"a\tS\nlevel 6.0\n", PDX_ERR_INVALID_PARAMETER, "level must be"},
        Refusal{"a\tS\nblocksize 8192\nlevel 4.0\n", PDX_ERR_INVALID_PARAMETER, "at this level"},
        Refusal{"a\tS\nblocksize 5000\n", PDX_ERR_INVALID_PARAMETER, "blocksize must be"},
        Refusal{"a\t+\nb\t+\n", PDX_ERR_INVALID_FIELD_TYPE, "one auto-increment"},
        Refusal{"a\tA255\nb\tA255\nc\tA255\nd\tA255\nblocksize 1024\n", PDX_ERR_RECORD_TOO_BIG,
                "too big"},
        Refusal{"a\tA200*\nb\tA200*\nc\tS\nblocksize 1024\n", PDX_ERR_RECORD_TOO_BIG,
                "key is too big"},
        Refusal{"a\tS\ncheck b required\n", PDX_ERR_INVALID_PARAMETER, "line 2: check needs"},
        Refusal{"a\tS\ncheck a between 1\n", PDX_ERR_INVALID_PARAMETER, "check needs"},
        Refusal{"a\tS\ncheck a min\n", PDX_ERR_INVALID_PARAMETER, "needs a value"},
        Refusal{"a\tS\ncheck a required yes\n", PDX_ERR_INVALID_PARAMETER, "takes no value"},
        Refusal{"a\tM10\ncheck a max 5\n", PDX_ERR_INVALID_FIELD_TYPE, "only a required"},
        Refusal{"a\tS\npassword \n", PDX_ERR_INVALID_PASSWORD, "1 to 255"},
        Refusal{"a S\n", PDX_ERR_INVALID_PARAMETER, "expected a field"}));

TEST(Schema, TooManyFieldsAreRefused) {
  std::string text;
  for (int i = 0; i < 256; ++i) text += "f" + std::to_string(i) + "\tL\n";
  TableSchema schema;
  std::string error;
  EXPECT_EQ(ParseSchema(text, &schema, &error), PDX_ERR_TOO_MANY_FIELDS);
}

TEST(Schema, ACheckOnAFieldWhoseNameIsAPrefixOfAnotherFindsTheRightField) {
  TableSchema schema;
  std::string error;
  ASSERT_EQ(ParseSchema("Code\tA4\nCode Two\tA4\ncheck Code Two picture &&\n"
                        "check Code picture ##\n",
                        &schema, &error),
            PDX_OK)
      << error;
  ASSERT_EQ(schema.checks.size(), 2u);
  EXPECT_EQ(schema.checks[0].picture, "##");
  EXPECT_EQ(schema.checks[1].picture, "&&");
}

}  // namespace
}  // namespace pdx
