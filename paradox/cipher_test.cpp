#include "cipher.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "paradox/testing/samples.h"

namespace pdx {
namespace {

// A protected sample of the shared folder.
std::vector<uint8_t> ReadProtected(const std::string& name) {
  return testing::ReadSample("leonhad__paradoxdriver/encrypt/" + name);
}

uint32_t U32(const std::vector<uint8_t>& bytes, size_t offset) {
  return bytes[offset] | bytes[offset + 1] << 8 | bytes[offset + 2] << 16 |
         static_cast<uint32_t>(bytes[offset + 3]) << 24;
}

// The stored checksum sits at 0x25 in a level-3 header and at 0x5C beyond it.
uint32_t StoredKey(const std::vector<uint8_t>& header) {
  uint32_t key = U32(header, 0x25);
  return key == 0xFF00FF00 ? U32(header, 0x5C) : key;
}

TEST(PasswordChecksum, MatchesTheKeyOfAProtectedTable) {
  EXPECT_EQ(PasswordChecksum("123"), 0x0A25E09Au);
  EXPECT_EQ(StoredKey(testing::ReadTestFile(testing::TestdataPath("encrypted35.db"))),
            PasswordChecksum("123"));
}

TEST(PasswordChecksum, MatchesTheKeyOfEveryProtectedSample) {
  SKIP_WITHOUT_SAMPLES();
  for (const char* name : {"encrypted.db", "encrypted35.db", "encryptedmemo.db"}) {
    EXPECT_EQ(StoredKey(ReadProtected(name)), PasswordChecksum("123")) << name;
  }
}

TEST(PasswordChecksum, EmptyMeansNoProtectionAndCaseMatters) {
  EXPECT_EQ(PasswordChecksum(""), 0u);
  EXPECT_NE(PasswordChecksum("abc"), PasswordChecksum("ABC"));
  EXPECT_NE(PasswordChecksum("123"), PasswordChecksum("1234"));
  // The high half is never zero, so no password collides with "unprotected".
  EXPECT_NE(PasswordChecksum(std::string(300, 'x')) >> 16, 0u);
}

TEST(BlockCipher, DecryptsTheRecordsOfAProtectedTable) {
  std::vector<uint8_t> file = testing::ReadTestFile(testing::TestdataPath("encrypted35.db"));
  uint32_t header_size = file[2] | file[3] << 8;
  uint32_t block_size = file[5] * 1024u;
  ASSERT_GE(file.size(), header_size + block_size);
  uint8_t* block = file.data() + header_size;
  DecryptBlock(StoredKey(file), 1, block, block_size);
  // Block 1 is the only one: no neighbours, and its last record is a whole
  // number of records from the start.
  uint32_t record_size = file[0] | file[1] << 8;
  EXPECT_EQ(block[0] | block[1] << 8, 0);
  EXPECT_EQ(block[2] | block[3] << 8, 0);
  int16_t last = static_cast<int16_t>(block[4] | block[5] << 8);
  EXPECT_GE(last, 0);
  EXPECT_EQ(last % record_size, 0u);
  // Its first record is a number and a line of text (N, A30).
  ASSERT_EQ(record_size, 38u);
  std::string text(reinterpret_cast<const char*>(block + 6 + 8), 30);
  text.resize(text.find('\0'));
  EXPECT_FALSE(text.empty());
  for (char c : text) EXPECT_TRUE(c >= 0x20 && c < 0x7F) << text;
}

TEST(BlockCipher, RoundTripsAndDependsOnTheBlockNumber) {
  std::vector<uint8_t> plain(2048);
  for (size_t i = 0; i < plain.size(); ++i) plain[i] = static_cast<uint8_t>(i * 7 + 3);
  std::vector<uint8_t> first = plain;
  std::vector<uint8_t> second = plain;
  EncryptBlock(0x0A25E09A, 1, first.data(), first.size());
  EncryptBlock(0x0A25E09A, 2, second.data(), second.size());
  EXPECT_NE(first, plain);
  EXPECT_NE(first, second);
  DecryptBlock(0x0A25E09A, 1, first.data(), first.size());
  EXPECT_EQ(first, plain);
}

TEST(BlobCipher, DecryptsTheBlobFileHeaderOfAProtectedTable) {
  SKIP_WITHOUT_SAMPLES();
  std::vector<uint8_t> blob = ReadProtected("encryptedmemo.mb");
  ASSERT_GE(blob.size(), 4096u);
  DecryptBlobChunks(StoredKey(ReadProtected("encryptedmemo.db")), blob.data(), 4096);
  const uint8_t kSignature[] = {0x82, 0x73, 0x02, 0x00, 0x29, 0x00};
  EXPECT_EQ(blob[0], 0);  // header block type
  EXPECT_EQ(blob[1] | blob[2] << 8, 1);
  EXPECT_EQ(std::memcmp(blob.data() + 5, kSignature, sizeof kSignature), 0);
}

TEST(BlobCipher, ChunksAreIndependentOfTheirPosition) {
  std::vector<uint8_t> plain(512);
  for (size_t i = 0; i < 256; ++i) plain[i] = plain[i + 256] = static_cast<uint8_t>(i);
  std::vector<uint8_t> scrambled = plain;
  EncryptBlobChunks(0x1234, scrambled.data(), scrambled.size());
  EXPECT_TRUE(std::equal(scrambled.begin(), scrambled.begin() + 256, scrambled.begin() + 256));
  DecryptBlobChunks(0x1234, scrambled.data() + 256, 256);
  EXPECT_TRUE(std::equal(plain.begin(), plain.begin() + 256, scrambled.begin() + 256));
}

}  // namespace
}  // namespace pdx
