#include "field_codec.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "pdx_codes.h"

namespace pdx {
namespace {

constexpr char kHexDigits[] = "0123456789abcdef";

// Days from 1970-01-01 to the day number's epoch (day 1 = 0001-01-01).
constexpr int64_t kDayNumberOfUnixEpoch = 719163;

int64_t FloorDiv(int64_t a, int64_t b) {
  return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}

int DaysInMonth(int64_t year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[month - 1];
}

// Writes value's decimal digits at p, zero-padded to width; answers the end.
char* PutPadded(char* p, uint64_t value, int width) {
  char digits[20];
  int n = 0;
  do {
    digits[n++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  for (int pad = width - n; pad > 0; --pad) *p++ = '0';
  while (n > 0) *p++ = digits[--n];
  return p;
}

// Appending a pointer pair would take the string's general iterator path,
// which costs a dump more than the formatting; a length takes the short one.
void AppendRange(const char* begin, const char* end, std::string* out) {
  out->append(begin, static_cast<size_t>(end - begin));
}

// The text of a date or a time is put together in one buffer and appended
// once: a dump formats millions of them.
char* PutDate(char* p, int64_t day_number) {
  int64_t year;
  int month, day;
  CivilFromDayNumber(day_number, &year, &month, &day);
  if (year < 0) *p++ = '-';
  p = PutPadded(p, static_cast<uint64_t>(year < 0 ? -year : year), 4);
  *p++ = '-';
  p = PutPadded(p, static_cast<uint64_t>(month), 2);
  *p++ = '-';
  return PutPadded(p, static_cast<uint64_t>(day), 2);
}

char* PutTime(char* p, int64_t milliseconds) {
  if (milliseconds < 0) {
    *p++ = '-';
    milliseconds = -milliseconds;
  }
  const auto ms = static_cast<uint64_t>(milliseconds);
  p = PutPadded(p, ms / 3600000, 2);
  *p++ = ':';
  p = PutPadded(p, ms / 60000 % 60, 2);
  *p++ = ':';
  p = PutPadded(p, ms / 1000 % 60, 2);
  *p++ = '.';
  return PutPadded(p, ms % 1000, 3);
}

void AppendDate(int64_t day_number, std::string* out) {
  char buffer[48];
  AppendRange(buffer, PutDate(buffer, day_number), out);
}

void AppendTime(int64_t milliseconds, std::string* out) {
  char buffer[48];
  AppendRange(buffer, PutTime(buffer, milliseconds), out);
}

// The "%.17g" text of value when it is a whole number of 1/1024ths (whole
// numbers and the quarters and halves of amounts are) and so has a short exact
// decimal form; false for other values. Such a value has at most ten decimals
// and none below 1/1024, so with at most 17 significant digits "%.17g" writes
// it exactly, in fixed notation, without trailing zeros: the text built here.
bool PutBinaryFraction(double value, char** p) {
  constexpr int kFractionBits = 10;
  const double scaled = std::fabs(value) * (1 << kFractionBits);
  if (!(scaled < 9007199254740992.0) || scaled != std::trunc(scaled)) return false;  // 2^53
  const auto units = static_cast<int64_t>(scaled);
  const int64_t whole = units >> kFractionBits;
  // m * 2^t / 1024 with m odd is m * 5^(10 - t) / 10^(10 - t): 10 - t decimals,
  // the last of them not zero.
  const auto ticks = static_cast<uint64_t>(units & ((1 << kFractionBits) - 1));
  const int decimals = ticks == 0 ? 0 : kFractionBits - std::countr_zero(ticks);
  int64_t fraction = static_cast<int64_t>(ticks >> (kFractionBits - decimals));
  for (int i = 0; i < decimals; ++i) fraction *= 5;
  char whole_digits[24];
  char* whole_end = std::to_chars(whole_digits, whole_digits + sizeof whole_digits, whole).ptr;
  char fraction_digits[12];
  char* fraction_end = fraction_digits;
  if (decimals > 0) {
    const int n = static_cast<int>(
        std::to_chars(fraction_digits, fraction_digits + sizeof fraction_digits, fraction).ptr -
        fraction_digits);
    fraction_end = fraction_digits + n;
    // Leading zeros of the decimals, which to_chars left out.
    const int zeros = decimals - n;
    const int significant = whole > 0 ? static_cast<int>(whole_end - whole_digits) + decimals : n;
    if (significant > 17) return false;
    char* q = *p;
    if (std::signbit(value)) *q++ = '-';
    q = std::copy(whole_digits, whole_end, q);
    *q++ = '.';
    q = std::fill_n(q, zeros, '0');
    *p = std::copy(fraction_digits, fraction_end, q);
    return true;
  }
  char* q = *p;
  if (std::signbit(value)) *q++ = '-';
  *p = std::copy(whole_digits, whole_end, q);
  return true;
}

void AppendDouble(double value, std::string* out) {
  char buffer[40];
  char* end = buffer;
  if (!PutBinaryFraction(value, &end))
    end = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 17).ptr;
  AppendRange(buffer, end, out);
}

// Digits of a BCD value, most significant first, sign applied separately.
void BcdDigits(const uint8_t* data, char digits[32], bool* negative) {
  *negative = (data[0] & 0x80) == 0;
  for (int i = 0; i < 32; ++i) {
    uint8_t nibble = (i % 2 == 0) ? data[1 + i / 2] >> 4 : data[1 + i / 2] & 0x0F;
    if (*negative) nibble ^= 0x0F;
    // Some writers leave nibbles above 9 in the low-order digits; read them as 0.
    digits[i] = static_cast<char>('0' + (nibble <= 9 ? nibble : 0));
  }
}

int ClampDecimals(int decimals) {
  return decimals < 0 ? 0 : decimals > 32 ? 32 : decimals;
}

void AppendBcd(const uint8_t* data, int decimals, std::string* out) {
  decimals = ClampDecimals(decimals);
  char digits[32];
  bool negative;
  BcdDigits(data, digits, &negative);
  int first = 0;
  while (first < 32 - decimals - 1 && digits[first] == '0') ++first;
  bool zero = true;
  for (char d : digits) zero = zero && d == '0';
  if (negative && !zero) out->push_back('-');
  if (32 - decimals == 0) {
    out->push_back('0');
  } else {
    out->append(digits + first, 32 - decimals - first);
  }
  if (decimals > 0) {
    out->push_back('.');
    out->append(digits + 32 - decimals, decimals);
  }
}

// Parses "[-]digits[.digits]" into 32 digits with the given decimals.
bool EncodeBcdText(std::string_view text, int decimals, uint8_t* data) {
  decimals = ClampDecimals(decimals);
  bool negative = !text.empty() && text[0] == '-';
  if (negative) text.remove_prefix(1);
  size_t dot = text.find('.');
  std::string_view whole = text.substr(0, dot);
  std::string_view fraction = dot == std::string_view::npos ? "" : text.substr(dot + 1);
  if (whole.empty() && fraction.empty()) return false;
  if (dot != std::string_view::npos && fraction.empty()) return false;
  for (char c : whole)
    if (c < '0' || c > '9') return false;
  for (char c : fraction)
    if (c < '0' || c > '9') return false;
  while (whole.size() > 1 && whole[0] == '0') whole.remove_prefix(1);
  if (whole == "0" && 32 - decimals == 0) whole = "";
  while (fraction.size() > static_cast<size_t>(decimals) && fraction.back() == '0')
    fraction.remove_suffix(1);
  if (fraction.size() > static_cast<size_t>(decimals)) return false;
  if (whole.size() > static_cast<size_t>(32 - decimals)) return false;
  uint8_t digits[32] = {};
  const size_t whole_start = 32 - decimals - whole.size();
  for (size_t i = 0; i < whole.size(); ++i) digits[whole_start + i] = whole[i] - '0';
  for (size_t i = 0; i < fraction.size(); ++i) digits[32 - decimals + i] = fraction[i] - '0';
  bool zero = true;
  for (uint8_t d : digits) zero = zero && d == 0;
  negative = negative && !zero;
  data[0] = static_cast<uint8_t>((negative ? 0x00 : 0x80) | 0x40 | decimals);
  for (int i = 0; i < 16; ++i) {
    uint8_t byte = static_cast<uint8_t>((digits[2 * i] << 4) | digits[2 * i + 1]);
    data[1 + i] = negative ? static_cast<uint8_t>(byte ^ 0xFF) : byte;
  }
  return true;
}

bool ParseInt(std::string_view text, int64_t* value) {
  if (text.empty()) return false;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), *value);
  return ec == std::errc() && end == text.data() + text.size();
}

// "[-]YYYY-MM-DD"; the year has at least four digits.
bool ParseDate(std::string_view text, int64_t* day_number) {
  bool negative = !text.empty() && text[0] == '-';
  if (negative) text.remove_prefix(1);
  size_t dash = text.find('-');
  if (dash == std::string_view::npos || dash < 4 || text.size() != dash + 6 ||
      text[dash + 3] != '-')
    return false;
  int64_t year, month, day;
  if (!ParseInt(text.substr(0, dash), &year) || !ParseInt(text.substr(dash + 1, 2), &month) ||
      !ParseInt(text.substr(dash + 4, 2), &day) || year < 0 || year > 9999999)
    return false;
  if (negative) year = -year;
  if (month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, static_cast<int>(month)))
    return false;
  *day_number = DayNumberFromCivil(year, static_cast<int>(month), static_cast<int>(day));
  return true;
}

// "HH:MM:SS[.m[m[m]]]" within one day.
bool ParseTime(std::string_view text, int64_t* milliseconds) {
  if (text.size() < 8 || text[2] != ':' || text[5] != ':') return false;
  int64_t h, m, s, ms = 0;
  if (!ParseInt(text.substr(0, 2), &h) || !ParseInt(text.substr(3, 2), &m) ||
      !ParseInt(text.substr(6, 2), &s))
    return false;
  if (text.size() > 8) {
    std::string_view fraction = text.substr(9);
    if (text[8] != '.' || fraction.empty() || fraction.size() > 3 || !ParseInt(fraction, &ms) ||
        fraction[0] == '-' || fraction[0] == '+')
      return false;
    for (size_t i = fraction.size(); i < 3; ++i) ms *= 10;
  }
  if (h < 0 || h > 23 || m < 0 || m > 59 || s < 0 || s > 59) return false;
  *milliseconds = ((h * 60 + m) * 60 + s) * 1000 + ms;
  return true;
}

bool ParseDouble(std::string_view text, double* value) {
  if (text.empty()) return false;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), *value);
  return ec == std::errc() && end == text.data() + text.size() && !std::isnan(*value);
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

bool EncodeInteger(int64_t value, uint8_t* data, int length) {
  const int64_t limit = (int64_t{1} << (8 * length - 1)) - 1;
  if (value < -limit || value > limit) return false;
  auto bits = static_cast<uint64_t>(value);
  for (int i = 0; i < length; ++i) data[i] = static_cast<uint8_t>(bits >> (8 * (length - 1 - i)));
  data[0] ^= 0x80;
  return true;
}

void EncodeDouble(double value, uint8_t* data) {
  auto bits = std::bit_cast<uint64_t>(value);
  bits = (bits & (uint64_t{1} << 63)) ? ~bits : bits | (uint64_t{1} << 63);
  for (int i = 0; i < 8; ++i) data[i] = static_cast<uint8_t>(bits >> (8 * (7 - i)));
}

double DecodeBcd(const uint8_t* data, int decimals) {
  std::string text;
  AppendBcd(data, decimals, &text);
  double value = 0;
  std::from_chars(text.data(), text.data() + text.size(), value);
  return value;
}

bool EncodeBcdFromDouble(double value, int decimals, uint8_t* data) {
  if (!std::isfinite(value) || std::fabs(value) >= 1e32) return false;
  char text[80];
  int n = std::snprintf(text, sizeof text, "%.*f", ClampDecimals(decimals), value);
  if (n <= 0 || n >= static_cast<int>(sizeof text)) return false;
  return EncodeBcdText(std::string_view(text, n), decimals, data);
}

int64_t DayNumberFromCivil(int64_t year, int month, int day) {
  year -= month <= 2;
  const int64_t era = FloorDiv(year, 400);
  const int64_t year_of_era = year - era * 400;
  const int64_t day_of_year = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const int64_t day_of_era = year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
  return era * 146097 + day_of_era - 719468 + kDayNumberOfUnixEpoch;
}

void CivilFromDayNumber(int64_t day_number, int64_t* year, int* month, int* day) {
  const int64_t z = day_number - kDayNumberOfUnixEpoch + 719468;
  const int64_t era = FloorDiv(z, 146097);
  const int64_t day_of_era = z - era * 146097;
  const int64_t year_of_era =
      (day_of_era - day_of_era / 1460 + day_of_era / 36524 - day_of_era / 146096) / 365;
  const int64_t day_of_year =
      day_of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
  const int64_t mp = (5 * day_of_year + 2) / 153;
  *day = static_cast<int>(day_of_year - (153 * mp + 2) / 5 + 1);
  *month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  *year = year_of_era + era * 400 + (*month <= 2);
}

// Bytes that the dump format escapes: control bytes, DEL and the backslash.
constexpr std::array<bool, 256> kEscaped = [] {
  std::array<bool, 256> escaped{};
  for (int c = 0; c < 0x20; ++c) escaped[c] = true;
  escaped[0x7F] = escaped['\\'] = true;
  return escaped;
}();

namespace {

// Whether any of the eight bytes in word is one the dump format escapes:
// below 0x20, DEL or the backslash (exact, not an estimate).
bool HasEscapedByte(uint64_t word) {
  constexpr uint64_t kOnes = 0x0101010101010101, kHighs = 0x8080808080808080;
  auto has_zero_byte = [](uint64_t v) { return ((v - kOnes) & ~v & kHighs) != 0; };
  const bool below_space = ((word - 0x20 * kOnes) & ~word & kHighs) != 0;
  return below_space || has_zero_byte(word ^ (0x7F * kOnes)) ||
         has_zero_byte(word ^ ('\\' * kOnes));
}

// The number of bytes at data that are written as they are. A dump runs
// every alpha value through here, and almost none holds an escaped byte,
// so eight bytes are looked at a time.
size_t PlainLength(const uint8_t* data, size_t length) {
  size_t i = 0;
  for (; i + 8 <= length; i += 8) {
    uint64_t word;
    std::memcpy(&word, data + i, 8);
    if (HasEscapedByte(word)) break;
  }
  while (i < length && !kEscaped[data[i]]) ++i;
  return i;
}

}  // namespace

void AppendEscaped(const uint8_t* data, size_t length, std::string* out) {
  for (;;) {
    const size_t plain = PlainLength(data, length);
    out->append(reinterpret_cast<const char*>(data), plain);
    if (plain == length) return;
    const uint8_t c = data[plain];
    switch (c) {
      case '\\':
        out->append("\\\\");
        break;
      case '\t':
        out->append("\\t");
        break;
      case '\n':
        out->append("\\n");
        break;
      case '\r':
        out->append("\\r");
        break;
      default: {
        const char hex[4] = {'\\', 'x', kHexDigits[c >> 4], kHexDigits[c & 0x0F]};
        out->append(hex, 4);
      }
    }
    data += plain + 1;
    length -= plain + 1;
  }
}

void AppendHex(const uint8_t* data, size_t length, std::string* out) {
  size_t start = out->size();
  out->resize(start + 2 * length);
  char* p = out->data() + start;
  for (size_t i = 0; i < length; ++i) {
    p[2 * i] = kHexDigits[data[i] >> 4];
    p[2 * i + 1] = kHexDigits[data[i] & 0x0F];
  }
}

bool ParseEscaped(std::string_view text, std::string* bytes) {
  bytes->clear();
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c != '\\') {
      bytes->push_back(c);
      continue;
    }
    if (++i == text.size()) return false;
    switch (text[i]) {
      case '\\':
        bytes->push_back('\\');
        break;
      case 't':
        bytes->push_back('\t');
        break;
      case 'n':
        bytes->push_back('\n');
        break;
      case 'r':
        bytes->push_back('\r');
        break;
      case 'x': {
        if (i + 2 >= text.size()) return false;
        int high = HexValue(text[i + 1]), low = HexValue(text[i + 2]);
        if (high < 0 || low < 0) return false;
        bytes->push_back(static_cast<char>(high * 16 + low));
        i += 2;
        break;
      }
      default:
        return false;
    }
  }
  return true;
}

bool ParseHex(std::string_view text, std::string* bytes) {
  bytes->clear();
  if (text.size() % 2 != 0) return false;
  for (size_t i = 0; i < text.size(); i += 2) {
    int high = HexValue(text[i]), low = HexValue(text[i + 1]);
    if (high < 0 || low < 0) return false;
    bytes->push_back(static_cast<char>(high * 16 + low));
  }
  return true;
}

void AppendFieldText(const Field& field, const uint8_t* record, std::string* out) {
  const uint8_t* data = record + field.offset;
  if (IsBlank(data, field.length)) return;
  switch (field.type) {
    case FieldType::kAlpha: {
      const size_t length = LengthWithoutPadding(data, field.length);
      AppendEscaped(data, length, out);
      break;
    }
    case FieldType::kBytes: {
      const size_t length = LengthWithoutPadding(data, field.length);
      AppendHex(data, length, out);
      break;
    }
    case FieldType::kShort:
    case FieldType::kLong:
    case FieldType::kAutoIncrement: {
      char buffer[24];
      auto [end, ec] =
          std::to_chars(buffer, buffer + sizeof buffer, DecodeInteger(data, field.length));
      AppendRange(buffer, end, out);
      break;
    }
    case FieldType::kNumber:
    case FieldType::kMoney:
      AppendDouble(DecodeDouble(data), out);
      break;
    case FieldType::kLogical:
      out->push_back(DecodeInteger(data, 1) != 0 ? 'T' : 'F');
      break;
    case FieldType::kDate:
      AppendDate(DecodeInteger(data, 4), out);
      break;
    case FieldType::kTime:
      AppendTime(DecodeInteger(data, 4), out);
      break;
    case FieldType::kTimestamp: {
      double value = DecodeDouble(data);
      // Values no calendar can show (stray bytes) keep their number, so that
      // nothing is hidden.
      if (!std::isfinite(value) || std::fabs(value) > 1e17) {
        AppendDouble(value, out);
        break;
      }
      const auto milliseconds = static_cast<int64_t>(std::llround(value));
      const int64_t day = FloorDiv(milliseconds, kMillisecondsPerDay);
      char buffer[96];
      char* end = PutDate(buffer, day);
      *end++ = ' ';
      end = PutTime(end, milliseconds - day * kMillisecondsPerDay);
      AppendRange(buffer, end, out);
      break;
    }
    case FieldType::kBcd:
      AppendBcd(data, field.size_byte, out);
      break;
    case FieldType::kMemo:
    case FieldType::kBlob:
    case FieldType::kFormattedMemo:
    case FieldType::kOle:
    case FieldType::kGraphic:
      break;  // their values live in the blob file; the caller reads them
  }
}

pdx_code ParseFieldText(const Field& field, std::string_view text, uint8_t* record) {
  uint8_t value[256] = {};
  if (!text.empty()) {
    switch (field.type) {
      case FieldType::kAlpha:
      case FieldType::kBytes: {
        std::string bytes;
        bool ok =
            field.type == FieldType::kAlpha ? ParseEscaped(text, &bytes) : ParseHex(text, &bytes);
        if (!ok || bytes.size() > static_cast<size_t>(field.length)) return PDX_ERR_OUT_OF_RANGE;
        std::memcpy(value, bytes.data(), bytes.size());
        break;
      }
      case FieldType::kShort:
      case FieldType::kLong:
      case FieldType::kAutoIncrement: {
        int64_t number;
        if (!ParseInt(text, &number) || !EncodeInteger(number, value, field.length))
          return PDX_ERR_OUT_OF_RANGE;
        break;
      }
      case FieldType::kNumber:
      case FieldType::kMoney: {
        double number;
        if (!ParseDouble(text, &number)) return PDX_ERR_OUT_OF_RANGE;
        EncodeDouble(number, value);
        break;
      }
      case FieldType::kLogical:
        if (text != "T" && text != "F") return PDX_ERR_OUT_OF_RANGE;
        EncodeInteger(text == "T" ? 1 : 0, value, 1);
        break;
      case FieldType::kDate: {
        int64_t day_number;
        if (!ParseDate(text, &day_number) || !EncodeInteger(day_number, value, 4))
          return PDX_ERR_INVALID_DATE;
        break;
      }
      case FieldType::kTime: {
        int64_t milliseconds;
        if (!ParseTime(text, &milliseconds)) return PDX_ERR_INVALID_TIME;
        EncodeInteger(milliseconds, value, 4);
        break;
      }
      case FieldType::kTimestamp: {
        size_t space = text.find(' ');
        int64_t day_number, milliseconds;
        if (space == std::string_view::npos || !ParseDate(text.substr(0, space), &day_number) ||
            !ParseTime(text.substr(space + 1), &milliseconds))
          return PDX_ERR_INVALID_DATETIME;
        EncodeDouble(static_cast<double>(day_number * kMillisecondsPerDay + milliseconds), value);
        break;
      }
      case FieldType::kBcd:
        if (!EncodeBcdText(text, field.size_byte, value)) return PDX_ERR_OUT_OF_RANGE;
        break;
      default:
        return PDX_ERR_INVALID_FIELD_TYPE;
    }
  } else if (IsBlobType(field.type)) {
    return PDX_ERR_INVALID_FIELD_TYPE;
  }
  std::memcpy(record + field.offset, value, field.length);
  return PDX_OK;
}

}  // namespace pdx
