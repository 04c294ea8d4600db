// Engine codes turned into exceptions: the one place where a non-zero code of
// the store becomes something the program shows.
#pragma once

#include <stdexcept>
#include <string>

#include "paradox/pdx.h"

namespace engine {

class EngineError : public std::runtime_error {
 public:
  EngineError(pdx_code code, const std::string& message)
      : std::runtime_error(message), code_(code) {}
  pdx_code code() const { return code_; }

 private:
  pdx_code code_;
};

// The message for code given the engine's text and context lines ('\n'
// separated): repeated lines appear once; with no text at all the code alone.
std::string composeErrorMessage(pdx_code code, const std::string& engineText);

// The message shown when the library cannot be loaded or the engine not started.
std::string startupErrorMessage(pdx_code code);

}  // namespace engine
