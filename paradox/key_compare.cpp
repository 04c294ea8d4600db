#include "key_compare.h"

#include <strings.h>

#include <algorithm>
#include <cstring>

namespace pdx {
namespace {

uint8_t FoldCase(uint8_t c) {
  return (c >= 'a' && c <= 'z') ? static_cast<uint8_t>(c - 32) : c;
}

int CompareDictionary(const uint8_t* a, const uint8_t* b, size_t n) {
  int tie = 0;
  for (size_t i = 0; i < n; ++i) {
    const uint8_t fa = FoldCase(a[i]), fb = FoldCase(b[i]);
    if (fa != fb) return fa < fb ? -1 : 1;
    // Same letter, different case: lower case first, decided only when
    // everything else is equal.
    if (tie == 0 && a[i] != b[i]) tie = a[i] > b[i] ? -1 : 1;
  }
  return tie;
}

}  // namespace

bool IsByteOrderSortOrder(const TableHeader& header) {
  const std::string& name = header.sort_order_name;
  if (name.empty()) return header.sort_order_code == 0;
  return strcasecmp(name.c_str(), "ascii") == 0 || strcasecmp(name.c_str(), "DBWINUS0") == 0;
}

bool KeysOrderAsBytes(const TableHeader& header) {
  if (IsByteOrderSortOrder(header)) return true;
  const size_t keys = std::min<size_t>(header.key_fields, header.fields.size());
  for (size_t i = 0; i < keys; ++i)
    if (header.fields[i].type == FieldType::kAlpha) return false;
  return true;
}

std::string KeyOrderRefusal(const TableHeader& header) {
  return "alpha keys sorted by \"" + header.sort_order_name +
         "\" cannot be written: the order of that collation is not known exactly";
}

KeyCompare::KeyCompare(const TableHeader& header)
    : keys_(header.fields.begin(),
            header.fields.begin() + std::min<size_t>(header.key_fields, header.fields.size())),
      byte_order_(IsByteOrderSortOrder(header)) {}

int KeyCompare::Compare(const uint8_t* a, const uint8_t* b, int fields, int prefix) const {
  const int n = std::min<int>(fields, static_cast<int>(keys_.size()));
  for (int i = 0; i < n; ++i) {
    const Field& f = keys_[i];
    size_t length = f.length;
    if (i == n - 1 && prefix > 0 && f.type == FieldType::kAlpha)
      length = std::min<size_t>(length, static_cast<size_t>(prefix));
    const uint8_t* pa = a + f.offset;
    const uint8_t* pb = b + f.offset;
    int c = (f.type == FieldType::kAlpha && !byte_order_) ? CompareDictionary(pa, pb, length)
                                                          : std::memcmp(pa, pb, length);
    if (c != 0) return c < 0 ? -1 : 1;
  }
  return 0;
}

}  // namespace pdx
