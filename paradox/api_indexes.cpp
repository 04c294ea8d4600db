// Entry points that describe a table's secondary indexes.
// The entry points' declarations must come first (see api_state.h).
#include "api_state.h"

#include <algorithm>
#include <cstring>

using namespace pdx;
using namespace pdx::api;

extern "C" {

pdx_code pdx_index_count(pdx_cursor* cursor, int* count) {
  Begin();
  if (!ValidCursor(cursor)) return Finish(PDX_ERR_INVALID_HANDLE);
  if (count == nullptr) return Finish(PDX_ERR_INVALID_PARAMETER);
  *count = static_cast<int>(cursor->table->SecondaryIndexes().size());
  return PDX_OK;
}

pdx_code pdx_index_desc_get(pdx_cursor* cursor, int index, pdx_index_desc* desc) {
  Begin();
  if (!ValidCursor(cursor)) return Finish(PDX_ERR_INVALID_HANDLE);
  const std::vector<SecondaryIndex>& indexes = cursor->table->SecondaryIndexes();
  if (desc == nullptr || index < 0 || index >= static_cast<int>(indexes.size()))
    return Finish(PDX_ERR_INVALID_PARAMETER);
  const SecondaryIndex& found = indexes[index];
  *desc = pdx_index_desc{};
  CopyTruncated(found.name, desc->name, sizeof desc->name);
  const size_t slash = found.x_path.rfind('/');
  CopyTruncated(slash == std::string::npos ? found.x_path : found.x_path.substr(slash + 1),
                desc->file, sizeof desc->file);
  desc->field_count = static_cast<int>(std::min<size_t>(found.fields.size(), 16));
  for (int i = 0; i < desc->field_count; ++i) {
    desc->fields[i] = found.fields[i];
    desc->descending[i] = found.descending[i] ? 1 : 0;
  }
  desc->composite = found.composite ? 1 : 0;
  desc->unique = found.unique ? 1 : 0;
  desc->maintained = found.maintained ? 1 : 0;
  return PDX_OK;
}

}  // extern "C"
