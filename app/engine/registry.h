// The registry stand-in: an INI file whose section names are registry key
// paths and whose entries are the key's values. The machine-wide file is
// /etc/vindral/registry.ini; the environment variable VINDRAL_REGISTRY names
// another file instead. Key and value names compare without regard to case,
// as the registry's do.
#pragma once

#include <optional>
#include <string>

namespace engine {

// The file the stand-in is read from, after the environment override.
std::string registryFilePath();

// The value under key in the INI file at path, if the file and the value exist.
std::optional<std::string> readRegistryValue(const std::string& path, const std::string& key,
                                             const std::string& valueName);

}  // namespace engine
