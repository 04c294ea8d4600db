// The validity-check file (.VAL) of a table: per field a required flag,
// minimum, maximum, default, picture and table lookup, plus links between
// tables that this store keeps but does not interpret.
//
// Layout: a 0x35-byte header (a copy of the table's structure counter, the
// table level, the number of check records, the offsets of the footer and of
// the link section), the check records, the link section, and a footer that
// repeats the table's fields as they were when the file was written (ids,
// types, sizes, names). Check records refer to fields by their position in
// that footer, and hold their values in the field's record encoding, so the
// footer is what tells how wide each value is.
//
// Level-3 tables write a shorter form: the header's bytes after the third
// carry nothing, there is no footer and no link section, and check records
// refer to fields by their position in the table itself. Such a file is told
// by its second byte, 1 (the table level at later levels), and can only be
// read with the table's field list at hand.
//
// Parsing never reads past the buffer and keeps every byte it does not
// understand (stale pointers, the lookup area's leftovers, the link section,
// header bytes) so that serializing an unchanged file gives its bytes back.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "field_type.h"
#include "pdx.h"

namespace pdx {

inline constexpr size_t kValHeaderLength = 0x35;
inline constexpr size_t kValRecordFixedLength = 0x1C;
inline constexpr size_t kValLookupLength = 0x50;
// The second header byte of a level-3 file.
inline constexpr uint8_t kValLevel3Marker = 0x01;

// One check record.
struct ValCheck {
  uint8_t field_index = 0;  // position in ValFile::fields
  uint8_t required = 0;     // non-zero: a value is required
  // Bit 0: fill every field of the same name from the lookup table, else
  // only this one; bit 1: the user may browse the lookup table.
  uint8_t lookup_options = 0;
  // The markers that say a part is present hold stale memory addresses in
  // files of the original engine; kept so a rewrite changes nothing. A part
  // that is set while its marker is 0 is written with marker 1.
  uint32_t lookup_marker = 0;
  uint32_t unknown = 0;
  uint32_t minimum_marker = 0, maximum_marker = 0, default_marker = 0, picture_marker = 0;
  // The lookup area: the lookup table's name, NUL-terminated, then leftovers.
  std::optional<std::array<uint8_t, kValLookupLength>> lookup;
  // Values in the record encoding and width of the field.
  std::optional<std::vector<uint8_t>> minimum, maximum, default_value;
  // The picture's bytes as stored, terminating NUL included.
  std::optional<std::string> picture;

  // No check at all: level-3 files keep such records for fields whose
  // checks were all cleared.
  bool Empty() const {
    return !required && !lookup && !minimum && !maximum && !default_value && !picture;
  }
  std::string LookupTable() const;  // empty when there is no lookup
  std::string PictureText() const;  // up to the first NUL
  void SetPicture(const std::string& text);
};

// A field as the footer records it.
struct ValField {
  uint16_t id = 0;
  uint8_t type = 0;       // descriptor type code
  uint8_t size_byte = 0;  // descriptor size byte
  std::string name;
};

struct ValFile {
  std::array<uint8_t, kValHeaderLength> header{};  // offsets and count are rewritten
  std::vector<ValCheck> checks;
  // Bytes between the last check record and the footer (the link section),
  // and where in them the link section starts; no offset: none.
  std::vector<uint8_t> links;
  std::optional<uint32_t> links_offset;
  uint16_t key_field_count = 0;
  std::vector<ValField> fields;
  std::string table_name;        // the name area as stored, NUL padding included
  std::vector<uint8_t> trailer;  // anything after the last field name
  // The level-3 form: fields are the table's own, and no links or footer
  // are written.
  bool level3 = false;

  uint8_t structure_count() const { return header[0]; }
  void set_structure_count(uint8_t count) { header[0] = count; }
};

// Parses a whole .VAL image. PDX_ERR_CORRUPT_VAL when it is not one.
// table_fields, the fields of the table the file belongs to, is needed for
// the level-3 form, which has no field list of its own; without it such a
// file is refused.
pdx_code ParseValFile(const uint8_t* data, size_t size, ValFile* file,
                      const std::vector<Field>* table_fields = nullptr);
// A level-3 file's field list, made from the table's fields.
std::vector<ValField> ValFieldsOfTable(const std::vector<Field>& table_fields);
// The bytes of file, with its offsets and counts recomputed.
std::vector<uint8_t> SerializeValFile(const ValFile& file);

// A field's checks as the table sees them.
struct FieldCheck {
  int field_number = 0;  // 1-based in the table
  bool required = false;
  std::optional<std::vector<uint8_t>> minimum, maximum, default_value;  // field's encoding
  std::string picture;                                                  // empty: none
  std::string lookup_table;                                             // empty: none
  uint8_t lookup_options = 0;
};

// Matches the checks of file to the table's fields (by id, else by name
// without regard to case), in table field order. A check whose field the
// table no longer has, or whose field changed type or size, is left out, as
// are its values. Answers PDX_ERR_VAL_OUT_OF_DATE when the file's structure
// counter differs from the table's (the checks are still filled in: callers
// may ignore that code), else PDX_OK.
pdx_code ResolveChecks(const ValFile& file, const std::vector<Field>& table_fields,
                       uint8_t table_structure_count, std::vector<FieldCheck>* checks);

}  // namespace pdx
