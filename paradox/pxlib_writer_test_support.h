// Tables written by an independent implementation (Debian's pxlib), so the
// store's tests read files it did not write itself. pxlib serves only as a
// writer of plain tables here; its reader has known faults.
#pragma once

extern "C" {
#include <paradox.h>
}

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace pdx::testing {

struct PxlibField {
  std::string name;
  char type;     // pxlib's type code (pxfAlpha, ...)
  int length;    // bytes in the record
  int decimals;  // BCD only
};

// Writes path (a .DB file) with rows produced by fill, which gets pxlib's
// document, the record buffer and the 0-based row. When key_fields > 0 the
// table is keyed and index_path receives its primary index. Answers false
// when pxlib refuses.
inline bool WritePxlibTable(const std::string& path, const std::vector<PxlibField>& fields,
                            int key_fields, int rows,
                            const std::function<void(pxdoc_t*, char*, int)>& fill,
                            const std::string& index_path = "") {
  std::vector<pxfield_t> px(fields.size());
  std::vector<std::string> names;
  for (const PxlibField& f : fields) names.push_back(f.name);
  int record_size = 0;
  for (size_t i = 0; i < fields.size(); ++i) {
    // pxlib keeps the name pointer and frees it when the document goes.
    px[i].px_fname = strdup(names[i].c_str());
    px[i].px_ftype = fields[i].type;
    px[i].px_flen = fields[i].length;
    px[i].px_fdc = fields[i].decimals;
    record_size += fields[i].length;
  }
  pxfield_t* field_array = static_cast<pxfield_t*>(malloc(sizeof(pxfield_t) * px.size()));
  std::copy(px.begin(), px.end(), field_array);
  pxdoc_t* doc = PX_new();
  if (doc == nullptr) return false;
  if (PX_create_file(doc, field_array, static_cast<int>(fields.size()), path.c_str(),
                     key_fields > 0 ? pxfFileTypIndexDB : pxfFileTypNonIndexDB) < 0) {
    PX_delete(doc);
    return false;
  }
  PX_set_tablename(doc, "test");
  if (key_fields > 0) PX_set_value(doc, "numprimkeys", static_cast<float>(key_fields));
  std::vector<char> record(record_size);
  bool ok = true;
  for (int row = 0; row < rows && ok; ++row) {
    std::fill(record.begin(), record.end(), 0);
    fill(doc, record.data(), row);
    ok = PX_put_record(doc, record.data()) >= 0;
  }
  if (ok && key_fields > 0 && !index_path.empty()) {
    pxdoc_t* index = PX_new();
    pxfield_t* key_array = static_cast<pxfield_t*>(malloc(sizeof(pxfield_t) * key_fields));
    for (int i = 0; i < key_fields; ++i) {
      key_array[i] = px[i];
      key_array[i].px_fname = strdup(names[i].c_str());
    }
    ok = PX_create_file(index, key_array, key_fields, index_path.c_str(), pxfFileTypPrimIndex) >=
             0 &&
         PX_write_primary_index(doc, index) >= 0;
    PX_close(index);
    PX_delete(index);
  }
  PX_close(doc);
  PX_delete(doc);
  return ok;
}

// Field offsets of a pxlib record, in field order.
inline std::vector<int> PxlibOffsets(const std::vector<PxlibField>& fields) {
  std::vector<int> offsets;
  int offset = 0;
  for (const PxlibField& f : fields) {
    offsets.push_back(offset);
    offset += f.length;
  }
  return offsets;
}

}  // namespace pdx::testing
