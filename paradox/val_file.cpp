#include "val_file.h"

#include <strings.h>
#include <algorithm>
#include <cstring>

#include "byte_order.h"
#include "pdx_codes.h"

namespace pdx {
namespace {

// The footer's table-name area: 79 bytes, or 261 where tables may have long
// names; the footer's own size field tells which one a file uses.
constexpr size_t kNameAreaLengths[] = {79, 261};

// A bounded reader over the image: every take checks the bytes are there.
class Reader {
 public:
  Reader(const uint8_t* data, size_t size, size_t position)
      : data_(data), size_(size), position_(position) {}
  size_t position() const { return position_; }
  bool Has(size_t n) const { return position_ <= size_ && n <= size_ - position_; }
  const uint8_t* Take(size_t n) {
    if (!Has(n)) return nullptr;
    const uint8_t* p = data_ + position_;
    position_ += n;
    return p;
  }
  bool U8(uint8_t* v) {
    const uint8_t* p = Take(1);
    if (p) *v = *p;
    return p != nullptr;
  }
  bool U16(uint16_t* v) {
    const uint8_t* p = Take(2);
    if (p) *v = LoadLe16(p);
    return p != nullptr;
  }
  bool U32(uint32_t* v) {
    const uint8_t* p = Take(4);
    if (p) *v = LoadLe32(p);
    return p != nullptr;
  }
  // A NUL-terminated string; the NUL is consumed, not returned.
  bool String(std::string* s) {
    if (position_ > size_) return false;
    const void* nul = std::memchr(data_ + position_, 0, size_ - position_);
    if (nul == nullptr) return false;
    size_t length = static_cast<const uint8_t*>(nul) - (data_ + position_);
    s->assign(reinterpret_cast<const char*>(data_ + position_), length);
    position_ += length + 1;
    return true;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t position_;
};

size_t ValueWidth(const ValField& field) {
  FieldType type;
  if (!FieldTypeFromCode(field.type, &type)) return 0;
  return static_cast<size_t>(FieldLength(type, field.size_byte));
}

bool ParseFooter(const uint8_t* data, size_t size, size_t offset, ValFile* file) {
  Reader in(data, size, offset);
  uint16_t count, name_area;
  if (!in.U16(&count) || !in.U16(&file->key_field_count) || !in.U16(&name_area)) return false;
  const uint8_t* ids = in.Take(2u * count);
  const uint8_t* descriptors = in.Take(2u * count);
  if (ids == nullptr || descriptors == nullptr) return false;
  size_t names_start = in.position();
  for (size_t table_name_length : kNameAreaLengths) {
    Reader names(data, size, names_start);
    const uint8_t* table_name = names.Take(table_name_length);
    if (table_name == nullptr) return false;
    std::vector<ValField> fields(count);
    size_t used = table_name_length;
    bool complete = true;
    for (size_t i = 0; i < count && complete; ++i) {
      fields[i].id = LoadLe16(ids + 2 * i);
      fields[i].type = descriptors[2 * i];
      fields[i].size_byte = descriptors[2 * i + 1];
      complete = names.String(&fields[i].name);
      used += fields[i].name.size() + 1;
    }
    if (!complete || used != name_area) continue;
    file->fields = std::move(fields);
    file->table_name.assign(reinterpret_cast<const char*>(table_name), table_name_length);
    file->trailer.assign(data + names.position(), data + size);
    return true;
  }
  return false;
}

bool ParseValue(Reader& in, uint32_t marker, size_t width,
                std::optional<std::vector<uint8_t>>* value) {
  if (marker == 0) return true;
  if (width == 0) return false;
  const uint8_t* p = in.Take(width);
  if (p == nullptr) return false;
  value->emplace(p, p + width);
  return true;
}

bool ParseCheck(Reader& in, const ValFile& file, ValCheck* check) {
  const uint8_t* fixed = in.Take(kValRecordFixedLength);
  if (fixed == nullptr) return false;
  check->field_index = fixed[0];
  uint8_t picture_length = fixed[1];
  check->required = fixed[2];
  check->lookup_options = fixed[3];
  check->lookup_marker = LoadLe32(fixed + 0x04);
  check->unknown = LoadLe32(fixed + 0x08);
  check->minimum_marker = LoadLe32(fixed + 0x0C);
  check->maximum_marker = LoadLe32(fixed + 0x10);
  check->default_marker = LoadLe32(fixed + 0x14);
  check->picture_marker = LoadLe32(fixed + 0x18);
  if (check->field_index >= file.fields.size()) return false;
  size_t width = ValueWidth(file.fields[check->field_index]);
  if (check->lookup_marker != 0) {
    const uint8_t* area = in.Take(kValLookupLength);
    if (area == nullptr) return false;
    check->lookup.emplace();
    std::copy(area, area + kValLookupLength, check->lookup->begin());
  }
  if (!ParseValue(in, check->minimum_marker, width, &check->minimum) ||
      !ParseValue(in, check->maximum_marker, width, &check->maximum) ||
      !ParseValue(in, check->default_marker, width, &check->default_value)) {
    return false;
  }
  if (check->picture_marker != 0) {
    if (picture_length == 0) return false;
    const uint8_t* picture = in.Take(picture_length);
    if (picture == nullptr) return false;
    check->picture.emplace(reinterpret_cast<const char*>(picture), picture_length);
  }
  return true;
}

uint32_t Marker(uint32_t kept, bool present) {
  return present ? (kept != 0 ? kept : 1) : 0;
}

void Append(std::vector<uint8_t>& out, const void* data, size_t n) {
  auto* p = static_cast<const uint8_t*>(data);
  out.insert(out.end(), p, p + n);
}

void AppendLe16(std::vector<uint8_t>& out, uint16_t v) {
  uint8_t b[2];
  StoreLe16(b, v);
  Append(out, b, 2);
}

void AppendLe32(std::vector<uint8_t>& out, uint32_t v) {
  uint8_t b[4];
  StoreLe32(b, v);
  Append(out, b, 4);
}

void AppendCheck(std::vector<uint8_t>& out, const ValCheck& check) {
  out.push_back(check.field_index);
  out.push_back(check.picture ? static_cast<uint8_t>(check.picture->size()) : 0);
  out.push_back(check.required);
  out.push_back(check.lookup_options);
  AppendLe32(out, Marker(check.lookup_marker, check.lookup.has_value()));
  AppendLe32(out, check.unknown);
  AppendLe32(out, Marker(check.minimum_marker, check.minimum.has_value()));
  AppendLe32(out, Marker(check.maximum_marker, check.maximum.has_value()));
  AppendLe32(out, Marker(check.default_marker, check.default_value.has_value()));
  AppendLe32(out, Marker(check.picture_marker, check.picture.has_value()));
  if (check.lookup) Append(out, check.lookup->data(), check.lookup->size());
  for (const auto* value : {&check.minimum, &check.maximum, &check.default_value}) {
    if (*value) Append(out, (*value)->data(), (*value)->size());
  }
  if (check.picture) Append(out, check.picture->data(), check.picture->size());
}

std::string UpToNul(const char* data, size_t size) {
  const void* nul = std::memchr(data, 0, size);
  return std::string(data, nul ? static_cast<const char*>(nul) - data : size);
}

}  // namespace

std::string ValCheck::LookupTable() const {
  if (!lookup) return {};
  return UpToNul(reinterpret_cast<const char*>(lookup->data()), lookup->size());
}

std::string ValCheck::PictureText() const {
  return picture ? UpToNul(picture->data(), picture->size()) : std::string();
}

void ValCheck::SetPicture(const std::string& text) {
  // The length byte counts the NUL, so 254 characters is the most it holds.
  picture = text.substr(0, 254) + '\0';
}

std::vector<ValField> ValFieldsOfTable(const std::vector<Field>& table_fields) {
  std::vector<ValField> fields;
  for (const Field& field : table_fields)
    fields.push_back({0, static_cast<uint8_t>(field.type), field.size_byte, field.name});
  return fields;
}

pdx_code ParseValFile(const uint8_t* data, size_t size, ValFile* file,
                      const std::vector<Field>* table_fields) {
  *file = ValFile{};
  if (size < kValHeaderLength) return PDX_ERR_CORRUPT_VAL;
  std::copy(data, data + kValHeaderLength, file->header.begin());
  uint8_t count = data[2];
  if (data[1] == kValLevel3Marker) {
    // Records straight after the header, up to the end of the file exactly.
    if (table_fields == nullptr) return PDX_ERR_CORRUPT_VAL;
    file->level3 = true;
    file->fields = ValFieldsOfTable(*table_fields);
    Reader records(data, size, kValHeaderLength);
    file->checks.resize(count);
    for (ValCheck& check : file->checks) {
      if (!ParseCheck(records, *file, &check)) {
        *file = ValFile{};
        return PDX_ERR_CORRUPT_VAL;
      }
    }
    if (records.position() != size) {
      *file = ValFile{};
      return PDX_ERR_CORRUPT_VAL;
    }
    return PDX_OK;
  }
  uint32_t footer = LoadLe32(data + 0x09);
  uint32_t links = LoadLe32(data + 0x0D);
  if (footer < kValHeaderLength || footer > size) return PDX_ERR_CORRUPT_VAL;
  if (!ParseFooter(data, size, footer, file)) return PDX_ERR_CORRUPT_VAL;

  size_t records_end_limit = links != 0 ? links : footer;
  if (records_end_limit > footer) return PDX_ERR_CORRUPT_VAL;
  Reader records(data, records_end_limit, kValHeaderLength);
  file->checks.resize(count);
  for (ValCheck& check : file->checks) {
    if (!ParseCheck(records, *file, &check)) {
      *file = ValFile{};
      return PDX_ERR_CORRUPT_VAL;
    }
  }
  size_t records_end = records.position();
  file->links.assign(data + records_end, data + footer);
  if (links != 0) file->links_offset = static_cast<uint32_t>(links - records_end);
  return PDX_OK;
}

std::vector<uint8_t> SerializeValFile(const ValFile& file) {
  std::vector<uint8_t> out(file.header.begin(), file.header.end());
  out[2] = static_cast<uint8_t>(file.checks.size());
  for (const ValCheck& check : file.checks) AppendCheck(out, check);
  if (file.level3) return out;
  uint32_t records_end = static_cast<uint32_t>(out.size());
  Append(out, file.links.data(), file.links.size());
  StoreLe32(&out[0x09], static_cast<uint32_t>(out.size()));
  StoreLe32(&out[0x0D], file.links_offset ? records_end + *file.links_offset : 0);

  size_t name_area = file.table_name.size();
  for (const ValField& field : file.fields) name_area += field.name.size() + 1;
  AppendLe16(out, static_cast<uint16_t>(file.fields.size()));
  AppendLe16(out, file.key_field_count);
  AppendLe16(out, static_cast<uint16_t>(name_area));
  for (const ValField& field : file.fields) AppendLe16(out, field.id);
  for (const ValField& field : file.fields) {
    out.push_back(field.type);
    out.push_back(field.size_byte);
  }
  Append(out, file.table_name.data(), file.table_name.size());
  for (const ValField& field : file.fields) Append(out, field.name.c_str(), field.name.size() + 1);
  Append(out, file.trailer.data(), file.trailer.size());
  return out;
}

pdx_code ResolveChecks(const ValFile& file, const std::vector<Field>& table_fields,
                       uint8_t table_structure_count, std::vector<FieldCheck>* checks) {
  checks->clear();
  for (const ValCheck& check : file.checks) {
    if (check.Empty()) continue;
    const ValField& recorded = file.fields[check.field_index];
    auto match = std::find_if(table_fields.begin(), table_fields.end(), [&](const Field& f) {
      return recorded.id != 0 && f.id == recorded.id;
    });
    if (file.level3 && check.field_index < table_fields.size())
      match = table_fields.begin() + check.field_index;
    if (match == table_fields.end()) {
      match = std::find_if(table_fields.begin(), table_fields.end(), [&](const Field& f) {
        return strcasecmp(f.name.c_str(), recorded.name.c_str()) == 0;
      });
    }
    if (match == table_fields.end() || static_cast<uint8_t>(match->type) != recorded.type ||
        match->size_byte != recorded.size_byte) {
      continue;
    }
    int field_number = static_cast<int>(match - table_fields.begin()) + 1;
    // A damaged file may hold two records for one field; the first counts.
    if (std::any_of(checks->begin(), checks->end(),
                    [&](const FieldCheck& c) { return c.field_number == field_number; })) {
      continue;
    }
    FieldCheck resolved;
    resolved.field_number = field_number;
    resolved.required = check.required != 0;
    resolved.minimum = check.minimum;
    resolved.maximum = check.maximum;
    resolved.default_value = check.default_value;
    resolved.picture = check.PictureText();
    resolved.lookup_table = check.LookupTable();
    resolved.lookup_options = check.lookup_options;
    checks->push_back(std::move(resolved));
  }
  std::sort(checks->begin(), checks->end(), [](const FieldCheck& a, const FieldCheck& b) {
    return a.field_number < b.field_number;
  });
  return file.structure_count() == table_structure_count ? PDX_OK : PDX_ERR_VAL_OUT_OF_DATE;
}

}  // namespace pdx
