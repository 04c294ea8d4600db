// One field's value in a record buffer, and one row of them. Dates are the
// store's day numbers, times milliseconds since midnight, timestamps
// milliseconds since day 0, logicals 0 or 1; text, memos and bytes are 8-bit
// strings. A blob that has not been read yet is marked so: rows of a window
// are read without their blobs, which are fetched only when asked for.
#pragma once

#include <compare>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace data {

struct UnreadBlob {
  auto operator<=>(const UnreadBlob&) const = default;
};

using FieldValue = std::variant<std::monostate, int64_t, double, std::string, UnreadBlob>;

inline bool IsBlank(const FieldValue& value) {
  return std::holds_alternative<std::monostate>(value);
}

struct Row {
  std::vector<FieldValue> values;  // by field number - 1
  std::string record;              // the store's record bytes, opaque here
};

using Bookmark = std::string;

}  // namespace data
