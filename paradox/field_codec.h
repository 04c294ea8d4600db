// The record encoding of field values, both ways, and the dump-format text of
// every type (dump-format.md beside this file describes the text exactly).
// Numbers, dates and times are stored big-endian with the sign bit flipped so
// that stored bytes compare like the values; all-zero bytes are blank.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "field_type.h"
#include "pdx.h"

namespace pdx {

inline constexpr int64_t kMillisecondsPerDay = 86400000;

// The decoders run for every field of every row a scan reads, so they are
// inline.
inline bool IsBlank(const uint8_t* data, size_t length) {
  for (size_t i = 0; i < length; ++i)
    if (data[i] != 0) return false;
  return true;
}

// The length of an A or Y value without the zeros that pad it.
inline size_t LengthWithoutPadding(const uint8_t* data, size_t length) {
  while (length >= 8) {
    uint64_t word;
    std::memcpy(&word, data + length - 8, 8);
    if (word != 0) {
      // The last bytes in memory are the word's high bytes on a little-endian machine.
      if constexpr (std::endian::native == std::endian::little)
        return length - std::countl_zero(word) / 8;
      break;
    }
    length -= 8;
  }
  while (length > 0 && data[length - 1] == 0) --length;
  return length;
}

// S (2 bytes), I, +, D, T (4 bytes), L (1 byte).
inline int64_t DecodeInteger(const uint8_t* data, int length) {
  switch (length) {
    case 1:
      return static_cast<int8_t>(data[0] ^ 0x80);
    case 2:
      return static_cast<int16_t>(((data[0] ^ 0x80) << 8) | data[1]);
    default:
      return static_cast<int32_t>((static_cast<uint32_t>(data[0] ^ 0x80) << 24) |
                                  (static_cast<uint32_t>(data[1]) << 16) |
                                  (static_cast<uint32_t>(data[2]) << 8) | data[3]);
  }
}
// False when value does not fit (the most negative value is blank's code).
bool EncodeInteger(int64_t value, uint8_t* data, int length);

// N, $, @.
inline double DecodeDouble(const uint8_t* data) {
  // One load and a byte swap; the compiler does not see that in a loop of shifts.
  uint64_t bits;
  std::memcpy(&bits, data, 8);
  if constexpr (std::endian::native == std::endian::little) bits = __builtin_bswap64(bits);
  bits = (bits & (uint64_t{1} << 63)) ? bits & ~(uint64_t{1} << 63) : ~bits;
  return std::bit_cast<double>(bits);
}
void EncodeDouble(double value, uint8_t* data);

// BCD (17 bytes) with the field's declared decimals. The double forms round.
double DecodeBcd(const uint8_t* data, int decimals);
bool EncodeBcdFromDouble(double value, int decimals, uint8_t* data);

// Day numbers: 1 = 0001-01-01 in the proleptic Gregorian calendar.
int64_t DayNumberFromCivil(int64_t year, int month, int day);
void CivilFromDayNumber(int64_t day_number, int64_t* year, int* month, int* day);

// Dump-format text of a field that is not a blob (blank: empty).
void AppendFieldText(const Field& field, const uint8_t* record, std::string* out);
// Memo text (M, F) and binary values (B, O, G, Y) in the dump format.
void AppendEscaped(const uint8_t* data, size_t length, std::string* out);
void AppendHex(const uint8_t* data, size_t length, std::string* out);
bool ParseEscaped(std::string_view text, std::string* bytes);
bool ParseHex(std::string_view text, std::string* bytes);

// Parses dump-format text into the field of record (not for blob fields). An
// empty text stores blank. On failure answers PDX_ERR_OUT_OF_RANGE or a
// date/time code and leaves record as it was.
pdx_code ParseFieldText(const Field& field, std::string_view text, uint8_t* record);

}  // namespace pdx
