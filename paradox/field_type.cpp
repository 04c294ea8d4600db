#include "field_type.h"

namespace pdx {

bool FieldTypeFromCode(uint8_t code, FieldType* type) {
  switch (code) {
    case 0x01:
    case 0x02:
    case 0x03:
    case 0x04:
    case 0x05:
    case 0x06:
    case 0x09:
    case 0x0C:
    case 0x0D:
    case 0x0E:
    case 0x0F:
    case 0x10:
    case 0x14:
    case 0x15:
    case 0x16:
    case 0x17:
    case 0x18:
      *type = static_cast<FieldType>(code);
      return true;
    default:
      return false;
  }
}

char FieldTypeLetter(FieldType type) {
  switch (type) {
    case FieldType::kAlpha:
      return 'A';
    case FieldType::kDate:
      return 'D';
    case FieldType::kShort:
      return 'S';
    case FieldType::kLong:
      return 'I';
    case FieldType::kMoney:
      return '$';
    case FieldType::kNumber:
      return 'N';
    case FieldType::kLogical:
      return 'L';
    case FieldType::kMemo:
      return 'M';
    case FieldType::kBlob:
      return 'B';
    case FieldType::kFormattedMemo:
      return 'F';
    case FieldType::kOle:
      return 'O';
    case FieldType::kGraphic:
      return 'G';
    case FieldType::kTime:
      return 'T';
    case FieldType::kTimestamp:
      return '@';
    case FieldType::kAutoIncrement:
      return '+';
    case FieldType::kBcd:
      return '#';
    case FieldType::kBytes:
      return 'Y';
  }
  return '?';
}

bool FieldTypeFromLetter(char letter, FieldType* type) {
  static constexpr uint8_t kCodes[] = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x09, 0x0C, 0x0D,
                                       0x0E, 0x0F, 0x10, 0x14, 0x15, 0x16, 0x17, 0x18};
  for (uint8_t code : kCodes) {
    auto candidate = static_cast<FieldType>(code);
    if (FieldTypeLetter(candidate) == letter) {
      *type = candidate;
      return true;
    }
  }
  return false;
}

int FieldLength(FieldType type, uint8_t size_byte) {
  auto fixed = [size_byte](int want) { return size_byte == want ? want : 0; };
  switch (type) {
    case FieldType::kAlpha:
    case FieldType::kBytes:
      return size_byte;  // 0 is invalid and answers 0
    case FieldType::kDate:
    case FieldType::kLong:
    case FieldType::kTime:
    case FieldType::kAutoIncrement:
      return fixed(4);
    case FieldType::kShort:
      return fixed(2);
    case FieldType::kMoney:
    case FieldType::kNumber:
    case FieldType::kTimestamp:
      return fixed(8);
    case FieldType::kLogical:
      return fixed(1);
    case FieldType::kBcd:
      return size_byte <= 32 ? kBcdLength : 0;
    case FieldType::kMemo:
    case FieldType::kBlob:
    case FieldType::kFormattedMemo:
    case FieldType::kOle:
    case FieldType::kGraphic:
      return size_byte >= kBlobPointerLength ? size_byte : 0;
  }
  return 0;
}

int Field::DeclaredSize() const {
  switch (type) {
    case FieldType::kAlpha:
    case FieldType::kBytes:
    case FieldType::kBcd:
      return size_byte;
    default:
      return IsBlobType(type) ? LeaderLength() : 0;
  }
}

}  // namespace pdx
