// Writes the sample portfolio database into a directory: the six tables,
// replaced when they exist, through the store's own writer.
#pragma once

#include <string>

namespace foliodb {

// Answers false with *error set when a table cannot be written or the scale
// is outside 1 to kMaxScale.
bool WriteFolioDb(const std::string& directory, int scale, std::string* error);

}  // namespace foliodb
