#include "grid/control_type.h"

#include "data/field.h"
#include "data/wwtable.h"

namespace grid {

namespace {

std::vector<std::string> Parts(const std::string& line) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (;;) {
    const size_t end = line.find(';', start);
    parts.push_back(line.substr(start, end == std::string::npos ? end : end - start));
    if (end == std::string::npos) return parts;
    start = end + 1;
  }
}

std::optional<std::vector<std::string>> EntryFor(const data::TDataSet* dataSet,
                                                 const data::TField& field) {
  const auto* table = dynamic_cast<const data::TwwTable*>(dataSet);
  if (!table) return std::nullopt;
  for (const std::string& line : table->ControlType) {
    std::vector<std::string> parts = Parts(line);
    if (parts.size() >= 2 && parts[0] == field.FieldName()) return parts;
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::vector<std::string>> ControlTypeEntry(const data::TDataSet* dataSet,
                                                         const data::TField& field,
                                                         const std::string& kind) {
  std::optional<std::vector<std::string>> entry = EntryFor(dataSet, field);
  if (!entry || (*entry)[1] != kind) return std::nullopt;
  return entry;
}

std::string ControlTypeKind(const data::TDataSet* dataSet, const data::TField& field) {
  const std::optional<std::vector<std::string>> entry = EntryFor(dataSet, field);
  return entry ? (*entry)[1] : std::string();
}

}  // namespace grid
