// The CSV writer and reader against each other and against hand-made files
// of other programs' habits, and base64 against the RFC's vectors.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "base64.h"
#include "csv_reader.h"
#include "csv_writer.h"

namespace pdx::tool {
namespace {

using Records = std::vector<std::vector<std::string>>;

// Every record of text, or the reader's error as the only field of a last
// record "error: ...".
Records ReadAll(const std::string& text) {
  std::FILE* in = fmemopen(const_cast<char*>(text.data()), text.size(), "rb");
  CsvReader reader(in);
  Records records;
  std::vector<std::string_view> fields;
  while (reader.Next(&fields)) {
    records.emplace_back(fields.begin(), fields.end());
    records.back().push_back("@" + std::to_string(reader.line()));
  }
  if (!reader.error().empty()) records.push_back({"error: " + reader.error()});
  std::fclose(in);
  return records;
}

TEST(Csv, AwkwardValuesSurviveWritingAndReading) {
  const std::vector<std::string> values = {"plain",      "with, comma", "say \"hi\"",
                                           "two\nlines", "cr\r\nlf",    "",
                                           " padded ",   "\"",          "caf\xc3\xa9"};
  for (bool crlf : {true, false}) {
    CsvWriter writer(crlf);
    for (const std::string& v : values) writer.Field(v);
    writer.EndLine();
    writer.Field("");  // a line of one empty field must not read as no line
    writer.EndLine();
    writer.PlainField("2");
    writer.EmptyField();
    writer.EndLine();
    Records records = ReadAll(writer.buffer());
    ASSERT_EQ(records.size(), 3u) << writer.buffer();
    std::vector<std::string> first = values;
    first.push_back("@1");
    EXPECT_EQ(records[0], first);
    EXPECT_EQ(records[1], (std::vector<std::string>{"", "@4"}));  // after two quoted breaks
    EXPECT_EQ(records[2], (std::vector<std::string>{"2", "", "@5"}));
  }
}

TEST(Csv, QuotesOnlyWhereNeededAndEndsLinesAsAsked) {
  CsvWriter crlf(true), lf(false);
  for (CsvWriter* w : {&crlf, &lf}) {
    w->Field("a b");
    w->Field("x,y");
    w->Field("q\"");
    w->EndLine();
    w->Field("\xEF\xBB\xBFmark");  // not to be taken for the file's byte-order mark
    w->EndLine();
  }
  EXPECT_EQ(crlf.buffer(), "a b,\"x,y\",\"q\"\"\"\r\n\"\xEF\xBB\xBFmark\"\r\n");
  EXPECT_EQ(lf.buffer(), "a b,\"x,y\",\"q\"\"\"\n\"\xEF\xBB\xBFmark\"\n");
}

TEST(Csv, ReadsWhatOtherProgramsWrite) {
  // A byte-order mark, blank lines, a trailing comma, no line end at the
  // end, a stray quote inside an unquoted field.
  EXPECT_EQ(ReadAll("\xEF\xBB\xBFName,Age\r\n\r\nann,3,\nbo\"b,4"),
            (Records{{"Name", "Age", "@1"}, {"ann", "3", "", "@3"}, {"bo\"b", "4", "@4"}}));
}

TEST(Csv, BrokenQuotingIsAnErrorWithItsLine) {
  EXPECT_EQ(ReadAll("a\n\"open\nstill open"),
            (Records{{"a", "@1"}, {"error: line 2: a quoted field is not closed"}}));
  EXPECT_EQ(
      ReadAll("a\nb\n\"x\"y,z\n"),
      (Records{{"a", "@1"},
               {"b", "@2"},
               {"error: line 3: a quoted field must end at a comma or at the end of the line"}}));
}

TEST(Base64, VectorsAndRefusals) {
  const std::pair<std::string, std::string> vectors[] = {{"", ""},
                                                         {"f", "Zg=="},
                                                         {"fo", "Zm8="},
                                                         {"foo", "Zm9v"},
                                                         {"foob", "Zm9vYg=="},
                                                         {"fooba", "Zm9vYmE="},
                                                         {"foobar", "Zm9vYmFy"},
                                                         {std::string("\x00\xff\xfe", 3), "AP/+"}};
  for (const auto& [bytes, text] : vectors) {
    std::string encoded;
    AppendBase64(bytes, &encoded);
    EXPECT_EQ(encoded, text);
    std::string decoded;
    EXPECT_TRUE(DecodeBase64(text, &decoded)) << text;
    EXPECT_EQ(decoded, bytes);
  }
  std::string out;
  for (const char* bad : {"Zg=", "Zm9", "Z===", "Zm 9v", "Zm9v\n", "Zh==", "Zm9=", "Zg==Zg=="})
    EXPECT_FALSE(DecodeBase64(bad, &out)) << bad;
}

}  // namespace
}  // namespace pdx::tool
