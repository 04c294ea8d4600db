// The silent exception: raised to cancel an operation without telling the
// user anything. The application's top-level handler shows no box for it.
// Qt-free, so the data layer and the controls can all raise it.
#pragma once

#include <stdexcept>

namespace toolkit {

class EAbort : public std::runtime_error {
 public:
  EAbort() : std::runtime_error("Operation aborted") {}
};

}  // namespace toolkit
