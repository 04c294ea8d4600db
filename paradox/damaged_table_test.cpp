// Damaged and hostile tables: every one answers a corrupt-table code with a
// context line naming the file, and the tool exits with status 2 and one
// line on standard error; nothing crashes, hangs or allocates by a size it
// read without checking.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <functional>

#include "pxlib_writer_test_support.h"
#include "store_test_support.h"

namespace pdx::testing {
namespace {

const std::vector<PxlibField> kFields = {{"Name", pxfAlpha, 30, 0}, {"Row", pxfLong, 4, 0}};

void Fill(pxdoc_t* doc, char* record, int row) {
  std::string name = "name " + std::to_string(row);
  PX_put_data_alpha(doc, record, 30, name.data());
  PX_put_data_long(doc, record + 30, 4, row);
}

uint16_t Le16(const std::vector<uint8_t>& b, size_t at) {
  return b[at] | (b[at + 1] << 8);
}
void SetLe16(std::vector<uint8_t>& b, size_t at, uint16_t v) {
  b[at] = static_cast<uint8_t>(v);
  b[at + 1] = static_cast<uint8_t>(v >> 8);
}

struct Damage {
  const char* what;
  std::function<void(std::vector<uint8_t>&)> apply;
  pdx_code code;
};

class DamagedTableTest : public EngineTest {
 protected:
  // Writes a good table of 500 rows (several blocks), damages it, and reads
  // it whole; answers the first failing code.
  pdx_code ReadDamaged(const Damage& damage, std::string* error) {
    TemporaryDirectory dir;
    EXPECT_TRUE(WritePxlibTable(dir.File("t.db"), kFields, 0, 500, Fill));
    std::vector<uint8_t> bytes = ReadBytes(dir.File("t.db"));
    damage.apply(bytes);
    WriteBytes(dir.File("t.db"), bytes);
    pdx_cursor* cursor = nullptr;
    pdx_code rc = Open(dir.Path(), "t", &cursor);
    if (rc == PDX_OK) {
      std::string dump = Dump(cursor);
      size_t at = dump.rfind(kError);
      rc = at == std::string::npos
               ? PDX_OK
               : static_cast<pdx_code>(std::stoi(dump.substr(at + std::strlen(kError))));
      if (rc == PDX_OK) {  // moving by number walks the chain from the other side
        int64_t count;
        rc = pdx_get_record_count(cursor, &count);
      }
      pdx_cursor_close(cursor);
    }
    *error = LastErrorText();
    return rc;
  }
};

TEST_F(DamagedTableTest, EachDamageAnswersACorruptCode) {
  const size_t header = 2048, block = 2048;  // pxlib's header and block sizes, checked below
  const Damage damages[] = {
      {"truncated inside the header", [](auto& b) { b.resize(100); }, PDX_ERR_CORRUPT_HEADER},
      {"truncated to 3 bytes", [](auto& b) { b.resize(3); }, PDX_ERR_CORRUPT_HEADER},
      {"huge header size", [](auto& b) { SetLe16(b, 0x02, 0xFFFF); }, PDX_ERR_CORRUPT_HEADER},
      {"record size unlike the fields", [](auto& b) { SetLe16(b, 0x00, 33); },
       PDX_ERR_CORRUPT_HEADER},
      {"zero block size", [](auto& b) { b[0x05] = 0; }, PDX_ERR_CORRUPT_HEADER},
      {"unknown field type", [](auto& b) { b[0x78] = 0x07; }, PDX_ERR_CORRUPT_HEADER},
      {"no fields", [](auto& b) { SetLe16(b, 0x21, 0); }, PDX_ERR_CORRUPT_HEADER},
      {"first block beyond the file's blocks", [](auto& b) { SetLe16(b, 0x0E, 60000); },
       PDX_ERR_CORRUPT_HEADER},
      {"cyclic chain",
       [=](auto& b) { SetLe16(b, header + 2 * block, 1); },  // block 3 links back to 1
       PDX_ERR_CORRUPT_FILE},
      {"next block out of range", [=](auto& b) { SetLe16(b, header + block, 9999); },
       PDX_ERR_CORRUPT_FILE},
      {"blocks cut off the end", [=](auto& b) { b.resize(header + block + 100); },
       PDX_ERR_CORRUPT_FILE},
  };
  for (const Damage& damage : damages) {
    std::string error;
    EXPECT_EQ(ReadDamaged(damage, &error), damage.code) << damage.what << ": " << error;
    EXPECT_NE(error.find("t.db"), std::string::npos) << damage.what << ": " << error;
  }
}

TEST_F(DamagedTableTest, ImpossibleRecordCountsReadAsEmptyBlocks) {
  // A last-record offset that is not a multiple of the record size, as
  // crashes leave behind: the block's records are not trusted, the rest read.
  std::string error;
  Damage odd{"odd last-record offset", [](auto& b) { SetLe16(b, 2048 + 4, 35); }, PDX_OK};
  EXPECT_EQ(ReadDamaged(odd, &error), PDX_OK) << error;
}

TEST_F(DamagedTableTest, PxlibLayoutIsWhatTheDamagesAssume) {
  TemporaryDirectory dir;
  ASSERT_TRUE(WritePxlibTable(dir.File("t.db"), kFields, 0, 500, Fill));
  std::vector<uint8_t> bytes = ReadBytes(dir.File("t.db"));
  EXPECT_EQ(Le16(bytes, 0x02), 2048);
  EXPECT_EQ(bytes[0x05], 2);
  EXPECT_GE(Le16(bytes, 0x0C), 3);
}

TEST(DamagedTableTool, ExitsWithStatusTwoAndOneLine) {
  TemporaryDirectory dir;
  ASSERT_TRUE(WritePxlibTable(dir.File("t.db"), kFields, 0, 500, Fill));
  std::vector<uint8_t> bytes = ReadBytes(dir.File("t.db"));
  SetLe16(bytes, 2048 + 2 * 2048, 1);
  WriteBytes(dir.File("t.db"), bytes);
  FILE* pipe = popen(
      (std::string(PDX_TOOL_PATH) + " dump " + dir.File("t.db") + " 2>&1 >/dev/null").c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::string err;
  char buffer[512];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) err.append(buffer, n);
  int status = pclose(pipe);
  EXPECT_EQ(WEXITSTATUS(status), 2);
  EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
  EXPECT_NE(err.find("Corrupt file - other than header."), std::string::npos) << err;
}

}  // namespace
}  // namespace pdx::testing
