#include "app_texts.h"

#include <cctype>

namespace app {

std::string applicationTitle(const std::string& programPath) {
  size_t slash = programPath.find_last_of('/');
  std::string name = slash == std::string::npos ? programPath : programPath.substr(slash + 1);
  name = name.substr(0, name.find('.'));
  for (size_t i = 1; i < name.size(); ++i) {
    name[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(name[i])));
  }
  return name;
}

// Compared as unsigned bytes, so a message ending in a UTF-8 letter gets its
// full stop like one ending in an ASCII letter.
std::string withFullStop(const std::string& message) {
  if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') return message + ".";
  return message;
}

}  // namespace app
