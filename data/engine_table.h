// The data set's tables through the engine interface: the program's way to
// the store. Record buffers stay in the store's layout; only the values of
// the window's rows are decoded, blobs when asked for.
#pragma once

#include <memory>
#include <string>

#include "table_cursor.h"

namespace data {

class EngineTableOpener : public TableOpener {
 public:
  std::unique_ptr<TableCursor> Open(const std::string& database, const std::string& table) override;
};

}  // namespace data
