#include "schema.h"

#include <algorithm>
#include <cctype>
#include <charconv>

#include "pdx_codes.h"

namespace pdx {
namespace {

constexpr int kMaxFields = 255;
constexpr int kMaxFieldNameLength = 25;
constexpr int kMaxKeyFields = 16;
constexpr int kMaxChecks = 64;
constexpr int kBlockHeaderSize = 6;
constexpr int kIndexEntryExtra = 6;  // block number, count, reserved

bool IsBlob(char type) {
  return type == 'M' || type == 'B' || type == 'F' || type == 'O' || type == 'G';
}

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

std::string_view TrimRight(std::string_view s) {
  while (!s.empty() && (s.back() == '\r' || s.back() == ' ' || s.back() == '\t'))
    s.remove_suffix(1);
  return s;
}

bool ParseInt(std::string_view s, int* value) {
  if (s.empty()) return false;
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), *value);
  return ec == std::errc() && end == s.data() + s.size();
}

// "3.0" -> 30, "5" -> 50, "3.5" -> 35; anything else -> 0.
int ParseLevel(std::string_view s) {
  static constexpr std::pair<std::string_view, int> kLevels[] = {
      {"3", 30}, {"3.0", 30}, {"3.5", 35}, {"4", 40},  {"4.0", 40},
      {"5", 50}, {"5.0", 50}, {"7", 70},   {"7.0", 70}};
  for (auto [text, level] : kLevels)
    if (s == text) return level;
  return 0;
}

struct SizeRule {
  char type;
  int min_size, max_size;  // -1: the type takes no size
};

constexpr SizeRule kSizeRules[] = {
    {'A', 1, 255}, {'D', -1, -1}, {'S', -1, -1}, {'I', -1, -1}, {'$', -1, -1}, {'N', -1, -1},
    {'L', -1, -1}, {'M', 1, 240}, {'B', 0, 240}, {'F', 0, 240}, {'O', 0, 240}, {'G', 0, 240},
    {'T', -1, -1}, {'@', -1, -1}, {'+', -1, -1}, {'#', 0, 32},  {'Y', 1, 255}};

const SizeRule* FindSizeRule(char type) {
  for (const SizeRule& rule : kSizeRules)
    if (rule.type == type) return &rule;
  return nullptr;
}

class Parser {
 public:
  Parser(TableSchema* schema, std::string* error) : schema_(schema), error_(error) {}

  pdx_code Run(std::string_view text) {
    int line_number = 0;
    while (!text.empty()) {
      size_t end = text.find('\n');
      std::string_view line = text.substr(0, end);
      text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
      ++line_number;
      line_ = line_number;
      line = TrimRight(line);
      if (line.empty()) continue;
      pdx_code code = line.find('\t') != std::string_view::npos ? Field(line) : Directive(line);
      if (code != PDX_OK) return code;
    }
    line_ = 0;
    for (const PendingCheck& check : pending_checks_) {
      line_ = check.line;
      if (pdx_code code = Check(check.text); code != PDX_OK) return code;
    }
    line_ = 0;
    return Validate();
  }

 private:
  struct PendingCheck {
    int line;
    std::string text;
  };

  pdx_code Fail(pdx_code code, const std::string& message) {
    *error_ = line_ > 0 ? "schema line " + std::to_string(line_) + ": " + message : message;
    return code;
  }

  pdx_code Field(std::string_view line) {
    size_t tab = line.find('\t');
    std::string_view name = line.substr(0, tab);
    std::string_view type = line.substr(tab + 1);
    while (!type.empty() && type.front() == '\t') type.remove_prefix(1);
    SchemaField field;
    field.name = std::string(name);
    if (name.empty() || name.front() == ' ' || name.size() > kMaxFieldNameLength)
      return Fail(PDX_ERR_INVALID_FIELD_NAME, "field name \"" + field.name +
                                                  "\" must have 1 to 25 characters and not begin "
                                                  "with a space");
    for (const SchemaField& other : schema_->fields)
      if (Lower(other.name) == Lower(name))
        return Fail(PDX_ERR_INVALID_FIELD_NAME, "field name \"" + field.name + "\" is used twice");
    if (!type.empty() && type.back() == '*') {
      field.key = true;
      type.remove_suffix(1);
    }
    if (type.empty())
      return Fail(PDX_ERR_INVALID_FIELD_TYPE, "field \"" + field.name + "\" has no type");
    field.type = type.front();
    const SizeRule* rule = FindSizeRule(field.type);
    if (rule == nullptr)
      return Fail(PDX_ERR_INVALID_FIELD_TYPE, "unknown field type \"" + std::string(type) + "\"");
    std::string_view size = type.substr(1);
    if (rule->min_size < 0) {
      if (!size.empty())
        return Fail(PDX_ERR_INVALID_FIELD_TYPE,
                    "field type " + std::string(1, field.type) + " takes no size");
    } else if (!ParseInt(size, &field.size) || field.size < rule->min_size ||
               field.size > rule->max_size) {
      return Fail(PDX_ERR_INVALID_FIELD_TYPE,
                  "field type " + std::string(1, field.type) + " needs a size from " +
                      std::to_string(rule->min_size) + " to " + std::to_string(rule->max_size));
    }
    if (field.key && IsBlob(field.type))
      return Fail(PDX_ERR_INVALID_FIELD_TYPE, "a blob field cannot be a key field");
    if (field.key && !schema_->fields.empty() && !schema_->fields.back().key)
      return Fail(PDX_ERR_INVALID_PARAMETER, "key fields must come first");
    if (schema_->fields.size() >= kMaxFields)
      return Fail(PDX_ERR_TOO_MANY_FIELDS, "a table has at most 255 fields");
    schema_->fields.push_back(std::move(field));
    return PDX_OK;
  }

  pdx_code Directive(std::string_view line) {
    size_t space = line.find(' ');
    std::string_view word = line.substr(0, space);
    std::string_view rest = space == std::string_view::npos ? "" : line.substr(space + 1);
    if (word == "level") {
      schema_->level = ParseLevel(rest);
      if (schema_->level == 0)
        return Fail(PDX_ERR_INVALID_PARAMETER, "level must be 3.0, 3.5, 4.0, 5.0 or 7.0");
      return PDX_OK;
    }
    if (word == "blocksize") {
      if (!ParseInt(rest, &schema_->block_size))
        return Fail(PDX_ERR_INVALID_PARAMETER, "blocksize needs a number of bytes");
      return PDX_OK;
    }
    if (word == "password") {
      // Taken exactly: a password may contain spaces.
      if (rest.empty() || rest.size() > 255)
        return Fail(PDX_ERR_INVALID_PASSWORD, "password must have 1 to 255 characters");
      schema_->password = std::string(rest);
      return PDX_OK;
    }
    if (word == "check") {
      // Field names may contain spaces, so checks are resolved once every
      // field is known.
      pending_checks_.push_back({line_, std::string(rest)});
      return PDX_OK;
    }
    return Fail(PDX_ERR_INVALID_PARAMETER,
                "expected a field (name, tab, type) or level, blocksize, password or check");
  }

  // "NAME required", "NAME min V", "NAME picture P", ...; the name is the
  // declared field whose name is followed by a space and a known word.
  pdx_code Check(std::string_view text) {
    static constexpr std::string_view kWords[] = {"required", "min", "max", "default", "picture"};
    for (size_t i = 0; i < schema_->fields.size(); ++i) {
      const std::string& name = schema_->fields[i].name;
      if (text.size() <= name.size() || Lower(text.substr(0, name.size())) != Lower(name)) continue;
      if (text[name.size()] != ' ') continue;
      std::string_view rest = text.substr(name.size() + 1);
      size_t space = rest.find(' ');
      std::string_view word = rest.substr(0, space);
      if (std::find(std::begin(kWords), std::end(kWords), word) == std::end(kWords)) continue;
      std::string_view value = space == std::string_view::npos ? "" : rest.substr(space + 1);
      return AddCheck(static_cast<int>(i), word, value);
    }
    return Fail(PDX_ERR_INVALID_PARAMETER,
                "check needs a declared field name and required, min, max, default or picture");
  }

  pdx_code AddCheck(int field_index, std::string_view word, std::string_view value) {
    auto it = std::find_if(schema_->checks.begin(), schema_->checks.end(),
                           [&](const SchemaCheck& c) { return c.field_index == field_index; });
    if (it == schema_->checks.end()) {
      if (static_cast<int>(schema_->checks.size()) >= kMaxChecks)
        return Fail(PDX_ERR_INVALID_PARAMETER, "a table has at most 64 validity checks");
      schema_->checks.push_back({});
      it = schema_->checks.end() - 1;
      it->field_index = field_index;
    }
    const SchemaField& field = schema_->fields[field_index];
    if (word == "required") {
      if (!value.empty()) return Fail(PDX_ERR_INVALID_PARAMETER, "required takes no value");
      it->required = true;
      return PDX_OK;
    }
    if (value.empty()) return Fail(PDX_ERR_INVALID_PARAMETER, std::string(word) + " needs a value");
    if (IsBlob(field.type))
      return Fail(PDX_ERR_INVALID_FIELD_TYPE,
                  "field \"" + field.name + "\" is a blob: it takes only a required check");
    if (word == "picture") {
      // The picture is stored with a one-byte length that counts its NUL.
      if (value.size() > 254) return Fail(PDX_ERR_INVALID_PARAMETER, "picture is too long");
      it->picture = std::string(value);
    } else if (word == "min") {
      it->minimum = std::string(value);
    } else if (word == "max") {
      it->maximum = std::string(value);
    } else {
      it->default_value = std::string(value);
    }
    return PDX_OK;
  }

  pdx_code Validate() {
    TableSchema& s = *schema_;
    if (s.fields.empty())
      return Fail(PDX_ERR_INVALID_PARAMETER, "a table needs at least one field");
    int needed = 30;
    int auto_increments = 0;
    for (const SchemaField& field : s.fields) {
      needed = std::max(needed, MinimumLevelForType(field.type));
      if (field.type == '+') ++auto_increments;
    }
    if (needed > s.level)
      return Fail(PDX_ERR_HIGHER_LEVEL_REQUIRED, "a field type needs level " +
                                                     std::to_string(needed / 10) + "." +
                                                     std::to_string(needed % 10));
    if (auto_increments > 1)
      return Fail(PDX_ERR_INVALID_FIELD_TYPE, "a table has at most one auto-increment field");
    if (s.KeyFieldCount() > kMaxKeyFields)
      return Fail(PDX_ERR_INVALID_PARAMETER, "a key has at most 16 fields");
    bool large_blocks = s.level >= 50;
    bool valid_block =
        s.block_size > 0 && s.block_size % 1024 == 0 &&
        (s.block_size <= 4096 || (large_blocks && (s.block_size == 8192 || s.block_size == 16384 ||
                                                   s.block_size == 32768)));
    if (!valid_block)
      return Fail(PDX_ERR_INVALID_PARAMETER,
                  large_blocks ? "blocksize must be 1024, 2048, 3072, 4096, 8192, 16384 or 32768"
                               : "blocksize must be 1024, 2048, 3072 or 4096 at this level");
    bool keyed = s.KeyFieldCount() > 0;
    int limit = keyed ? (large_blocks ? 10800 : 1350) : (large_blocks ? 32750 : 4000);
    limit = std::min(limit, s.block_size - kBlockHeaderSize);
    if (s.RecordSize() > limit)
      return Fail(PDX_ERR_RECORD_TOO_BIG, "record of " + std::to_string(s.RecordSize()) +
                                              " bytes is too big (at most " +
                                              std::to_string(limit) + " here)");
    // An index block must hold at least three entries for the tree to branch.
    if (keyed && 3 * (s.KeySize() + kIndexEntryExtra) > s.block_size - kBlockHeaderSize)
      return Fail(PDX_ERR_RECORD_TOO_BIG, "key is too big for the block size");
    std::sort(s.checks.begin(), s.checks.end(), [](const SchemaCheck& a, const SchemaCheck& b) {
      return a.field_index < b.field_index;
    });
    return PDX_OK;
  }

  TableSchema* schema_;
  std::string* error_;
  int line_ = 0;
  std::vector<PendingCheck> pending_checks_;
};

}  // namespace

int MinimumLevelForType(char type) {
  switch (type) {
    case 'A':
    case 'D':
    case 'S':
    case '$':
    case 'N':
      return 30;
    case 'M':
    case 'B':
    case 'F':
    case 'O':
    case 'G':
      return 40;
    default:
      return 50;
  }
}

int TableSchema::KeyFieldCount() const {
  int count = 0;
  while (count < static_cast<int>(fields.size()) && fields[count].key) ++count;
  return count;
}

int TableSchema::StoredLength(const SchemaField& field) {
  switch (field.type) {
    case 'A':
    case 'Y':
      return field.size;
    case 'S':
      return 2;
    case 'D':
    case 'I':
    case 'T':
    case '+':
      return 4;
    case '$':
    case 'N':
    case '@':
      return 8;
    case 'L':
      return 1;
    case '#':
      return 17;
    default:
      return field.size + 10;  // blobs: leader + pointer
  }
}

int TableSchema::RecordSize() const {
  int size = 0;
  for (const SchemaField& field : fields) size += StoredLength(field);
  return size;
}

int TableSchema::KeySize() const {
  int size = 0;
  for (int i = 0; i < KeyFieldCount(); ++i) size += StoredLength(fields[i]);
  return size;
}

pdx_code ParseSchema(std::string_view text, TableSchema* schema, std::string* error) {
  *schema = TableSchema();
  error->clear();
  return Parser(schema, error).Run(text);
}

}  // namespace pdx
