// The field types of a table: their codes in the file, their letters in the
// interface, and how many bytes each takes in a record.
#pragma once

#include <cstdint>
#include <string>

namespace pdx {

enum class FieldType : uint8_t {
  kAlpha = 0x01,
  kDate = 0x02,
  kShort = 0x03,
  kLong = 0x04,
  kMoney = 0x05,
  kNumber = 0x06,
  kLogical = 0x09,
  kMemo = 0x0C,
  kBlob = 0x0D,
  kFormattedMemo = 0x0E,
  kOle = 0x0F,
  kGraphic = 0x10,
  kTime = 0x14,
  kTimestamp = 0x15,
  kAutoIncrement = 0x16,
  kBcd = 0x17,
  kBytes = 0x18,
};

inline constexpr int kBcdLength = 17;
inline constexpr int kBlobPointerLength = 10;  // after the leader: location, length, mod number

// False for codes no table uses.
bool FieldTypeFromCode(uint8_t code, FieldType* type);
bool FieldTypeFromLetter(char letter, FieldType* type);
char FieldTypeLetter(FieldType type);
inline bool IsBlobType(FieldType type) {
  return type == FieldType::kMemo || type == FieldType::kBlob ||
         type == FieldType::kFormattedMemo || type == FieldType::kOle ||
         type == FieldType::kGraphic;
}
// Bytes in the record for a descriptor size byte; 0 when the pair is invalid.
int FieldLength(FieldType type, uint8_t size_byte);

// One field of a table (or of an index file's record).
struct Field {
  FieldType type = FieldType::kAlpha;
  uint8_t size_byte = 0;  // as stored in the descriptor
  int offset = 0;         // in the record
  int length = 0;         // bytes in the record
  uint16_t id = 0;        // persistent field number
  std::string name;       // 8-bit, in the table's code page

  // As the user declares it: A20 -> 20, M10 -> 10 (the leader), #2 -> 2, 0 for fixed types.
  int DeclaredSize() const;
  int LeaderLength() const { return length - kBlobPointerLength; }
};

}  // namespace pdx
