#include "data_set_error.h"

namespace data::messages {

std::string Format(const char* message, const std::string& first, const std::string& second) {
  std::string text = message;
  size_t at = text.find("%s");
  if (at != std::string::npos) {
    text.replace(at, 2, first);
    at = text.find("%s", at + first.size());
    if (at != std::string::npos) text.replace(at, 2, second);
  }
  return text;
}

}  // namespace data::messages
