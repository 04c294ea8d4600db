// Long memo and blob values through the C interface and the pdx tool's
// insert and update: values held by a record buffer until its row is
// stored, read back whole, replaced, kept and freed.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "pdx.h"
#include "pdx_codes.h"
#include "pdx_write_commands.h"
#include "store_test_support.h"

namespace pdx {
namespace {

using testing::EngineTest;
using testing::TemporaryDirectory;

class ApiBlobTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    ASSERT_EQ(pdx_table_create(session_, directory_.Path().c_str(), "Notes",
                               "Id\tI*\nNote\tM10\nPic\tG10\n"),
              PDX_OK)
        << testing::LastErrorText();
    ASSERT_EQ(
        pdx_table_open(session_, directory_.Path().c_str(), "Notes", PDX_OPEN_READ_WRITE, &cursor_),
        PDX_OK);
    pdx_cursor_info info;
    ASSERT_EQ(pdx_cursor_info_get(cursor_, &info), PDX_OK);
    record_.assign(info.record_size, 0);
  }

  std::string Blob(const std::vector<uint8_t>& record, int field) {
    size_t size = 0;
    if (pdx_code rc = pdx_blob_size(cursor_, record.data(), field, &size); rc != PDX_OK)
      return "<error " + std::to_string(rc) + ">";
    std::string value(size, '\0');
    size_t read = 0;
    if (pdx_code rc = pdx_blob_read(cursor_, record.data(), field, 0, value.data(), size, &read);
        rc != PDX_OK || read != size)
      return "<error " + std::to_string(rc) + ">";
    return value;
  }

  std::string Text(const std::vector<uint8_t>& record, int field) {
    size_t length = 0;
    if (pdx_code rc = pdx_get_text(cursor_, record.data(), field, nullptr, 0, &length);
        rc != PDX_OK)
      return "<error " + std::to_string(rc) + ">";
    std::string text(length + 1, '\0');
    pdx_get_text(cursor_, record.data(), field, text.data(), text.size(), &length);
    text.resize(length);
    return text;
  }

  pdx_code InsertRow(int id, const std::string& note) {
    pdx_init_record(cursor_, record_.data());
    pdx_put_int(cursor_, record_.data(), 1, id);
    EXPECT_EQ(pdx_blob_write(cursor_, record_.data(), 2, note.data(), note.size()), PDX_OK);
    return pdx_insert_record(cursor_, record_.data());
  }

  // Puts the cursor on the row with key id and reads it into record_.
  void Find(int id) {
    std::vector<uint8_t> key(record_.size(), 0);
    pdx_put_int(cursor_, key.data(), 1, id);
    ASSERT_EQ(pdx_find_nearest(cursor_, key.data(), 1, 0), PDX_OK);
    ASSERT_EQ(pdx_get_record(cursor_, record_.data()), PDX_OK);
  }

  uintmax_t BlobFileSize() { return std::filesystem::file_size(directory_.File("Notes.MB")); }

  TemporaryDirectory directory_;
  pdx_cursor* cursor_ = nullptr;
  std::vector<uint8_t> record_;
};

TEST_F(ApiBlobTest, ALongValueIsHeldByTheBufferThenStoredAndReadBackWhole) {
  const std::string note = std::string(5000, 'n') + " end";
  pdx_init_record(cursor_, record_.data());
  pdx_put_int(cursor_, record_.data(), 1, 1);
  ASSERT_EQ(pdx_blob_write(cursor_, record_.data(), 2, note.data(), note.size()), PDX_OK);
  EXPECT_EQ(Blob(record_, 2), note) << "the buffer answers with the value it holds";
  // Memo text in the dump format: escapes of any length.
  const std::string text = "first line\\nsecond\\t" + std::string(3000, 'x');
  ASSERT_EQ(pdx_put_text(cursor_, record_.data(), 2, text.data(), text.size()), PDX_OK);
  EXPECT_EQ(Text(record_, 2), text);
  const std::string picture = "BM" + std::string(100, '\x01');
  ASSERT_EQ(pdx_put_bytes(cursor_, record_.data(), 3, picture.data(), picture.size()), PDX_OK);
  ASSERT_EQ(pdx_insert_record(cursor_, record_.data()), PDX_OK) << testing::LastErrorText();

  std::vector<uint8_t> row(record_.size());
  ASSERT_EQ(pdx_get_record(cursor_, row.data()), PDX_OK);
  EXPECT_EQ(Text(row, 2), text);
  EXPECT_EQ(Blob(row, 3), picture) << "a graphic reads back without its type prefix";
  EXPECT_EQ(std::string(reinterpret_cast<char*>(row.data()) + 4, 10), text.substr(0, 10))
      << "the leader holds the value's first bytes";
  EXPECT_EQ(pdx_modify_record(cursor_, record_.data()), PDX_ERR_INVALID_PARAMETER)
      << "the stored value is no longer held by the buffer";
}

TEST_F(ApiBlobTest, ModifyReplacesOrKeepsValuesAndDeleteFreesThem) {
  ASSERT_EQ(InsertRow(1, std::string(3000, 'a')), PDX_OK);
  ASSERT_EQ(InsertRow(2, std::string(200, 'b')), PDX_OK);
  Find(1);
  ASSERT_EQ(pdx_lock_record(cursor_, record_.data()), PDX_OK);
  const std::string longer(9000, 'c');
  ASSERT_EQ(pdx_blob_write(cursor_, record_.data(), 2, longer.data(), longer.size()), PDX_OK);
  ASSERT_EQ(pdx_modify_record(cursor_, record_.data()), PDX_OK) << testing::LastErrorText();
  Find(1);
  EXPECT_EQ(Blob(record_, 2), longer);

  // A change of key leaves the memo where it is.
  std::vector<uint8_t> before = record_;
  pdx_put_int(cursor_, record_.data(), 1, 7);
  ASSERT_EQ(pdx_modify_record(cursor_, record_.data()), PDX_OK) << testing::LastErrorText();
  Find(7);
  EXPECT_EQ(std::memcmp(record_.data() + 4, before.data() + 4, 20), 0);
  EXPECT_EQ(Blob(record_, 2), longer);

  ASSERT_EQ(pdx_delete_record(cursor_), PDX_OK);
  Find(2);
  ASSERT_EQ(pdx_delete_record(cursor_), PDX_OK);
  EXPECT_EQ(BlobFileSize(), 4096u) << "the blob file is its header alone again";
}

TEST_F(ApiBlobTest, ABufferRefilledDropsItsValueAndAStaleCopyIsRefused) {
  ASSERT_EQ(InsertRow(1, "short"), PDX_OK);
  pdx_init_record(cursor_, record_.data());
  pdx_put_int(cursor_, record_.data(), 1, 2);
  const std::string note(700, 'z');
  ASSERT_EQ(pdx_blob_write(cursor_, record_.data(), 2, note.data(), note.size()), PDX_OK);
  const std::vector<uint8_t> stale = record_;
  pdx_set_to_begin(cursor_);
  ASSERT_EQ(pdx_next(cursor_, record_.data()), PDX_OK);
  EXPECT_EQ(pdx_insert_record(cursor_, stale.data()), PDX_ERR_INVALID_PARAMETER);
  int64_t count = 0;
  pdx_refresh(cursor_);
  ASSERT_EQ(pdx_get_record_count(cursor_, &count), PDX_OK);
  EXPECT_EQ(count, 1);
  EXPECT_EQ(BlobFileSize(), 4096u);
}

// `pdx insert` and `pdx update` read memo values of any length.
TEST_F(ApiBlobTest, ToolInsertAndUpdateStoreLongMemos) {
  const std::string first(2500, 'f'), second = "tab\\there " + std::string(900, 's');
  std::string input = "Id\tNote\n1\t" + first + "\n2\t" + second + "\n3\tshort\n";
  std::FILE* in = fmemopen(input.data(), input.size(), "r");
  ASSERT_EQ(tool::InsertCommand(directory_.Path(), "Notes", {}, in), 0);
  std::fclose(in);
  std::string update = "Id\tNote\n3\t" + std::string(4100, 'u') + "\n1\tnow short\n";
  in = fmemopen(update.data(), update.size(), "r");
  ASSERT_EQ(tool::UpdateCommand(directory_.Path(), "Notes", {}, in), 0);
  std::fclose(in);
  pdx_refresh(cursor_);
  EXPECT_EQ(Dump(cursor_), "Id\tNote\tPic\n1\tnow short\t\n2\t" + second + "\t\n3\t" +
                               std::string(4100, 'u') + "\t\n");
}

}  // namespace
}  // namespace pdx
