#include "plain_table.h"

namespace app {

void PlainTable::Open() {
  if (Active()) return;
  cursor_.open(databaseName_, tableName_);
  cursor_.setToBegin();
}

}  // namespace app
