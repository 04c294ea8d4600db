// Comparing keys as the table orders them. Numbers, dates and times compare
// by their stored bytes (their encoding keeps the order). Alpha fields of
// tables in the ascii sort orders compare byte by byte, NUL padding
// included; for the international and national orders, whose exact tables
// are not public, an approximation: letters compare without regard to case
// (A-Z only), and keys equal that way put lower case first.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "table_header.h"

namespace pdx {

class KeyCompare {
 public:
  KeyCompare() = default;
  explicit KeyCompare(const TableHeader& header);

  // Compares the leading `fields` key fields of two records (each given at
  // the record's start). When prefix > 0 the last of them, an alpha field,
  // compares on its first prefix bytes only. Answers <0, 0 or >0.
  int Compare(const uint8_t* a, const uint8_t* b, int fields, int prefix) const;

  bool byte_order() const { return byte_order_; }

 private:
  std::vector<Field> keys_;
  bool byte_order_ = true;
};

// True for the sort orders whose alpha order is the bytes' order.
bool IsByteOrderSortOrder(const TableHeader& header);

// True when the keys of a data or index file order exactly as their stored
// bytes: under a byte-order sort order, or when no key field is alpha (the
// encodings of numbers, dates and times keep their order whatever the
// collation). Only then can the store put new keys where the file's own
// engine would have.
bool KeysOrderAsBytes(const TableHeader& header);
// Why a file whose keys do not order as bytes cannot be written.
std::string KeyOrderRefusal(const TableHeader& header);

}  // namespace pdx
