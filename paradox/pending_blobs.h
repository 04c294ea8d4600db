// Memo and blob values put into a record buffer that no insert or modify has
// stored yet, because they do not fit the field's leader.
//
// The buffer itself carries the value's first bytes in the leader and, in
// its blob pointer, the stored length with no block offset (which no value
// in the blob file has) and a token in place of the modification number.
// The token names the value held here, so the value follows copies of the
// buffer; the writer looks it up when it stores the row. Values are kept as
// the caller gave them: a graphic or OLE value without its type prefix,
// although the length in the pointer counts the prefix, as a stored one does.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "field_type.h"
#include "pdx.h"

namespace pdx {

class PendingBlobs {
 public:
  // Makes value the field's value in record: whole in the leader when it
  // fits there, otherwise held here under a fresh token (replacing what this
  // buffer's field held before). PDX_ERR_OUT_OF_RANGE, and record unchanged,
  // for a value longer than the blob file can hold.
  pdx_code Put(const Field& field, uint8_t* record, std::string_view value);
  // The value held for the field of record; null when its pointer names
  // none held here.
  const std::string* Find(const Field& field, const uint8_t* record) const;
  // Whether the field's pointer in record is a token, held here or not.
  static bool IsToken(const Field& field, const uint8_t* record);

  // Forgets the values put into the buffer at record: it is being filled
  // anew, or its field set another way. Every move of a cursor calls it,
  // and almost always nothing is held.
  void DropBuffer(const void* record) {
    if (!held_.empty()) DropHeldIn(record);
  }
  void DropField(const void* record, const Field& field);
  // Forgets the values record names: they were stored.
  void DropStored(const std::vector<Field>& fields, const uint8_t* record);
  bool empty() const { return held_.empty(); }

 private:
  struct Held {
    const void* buffer;
    int field_offset;
    std::string value;
  };
  uint16_t NextToken();
  void DropHeldIn(const void* record);

  std::map<uint16_t, Held> held_;
  uint16_t last_token_ = 0;
};

}  // namespace pdx
