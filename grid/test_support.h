// What the grid's tests share: the message of the last exception the test
// application caught at its event dispatch.
#pragma once

#include <string>

namespace grid::testing {

// The message, emptied as it is read ("" when nothing was thrown).
std::string TakeLastError();

}  // namespace grid::testing
