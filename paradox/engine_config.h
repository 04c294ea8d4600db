// The engine's own configuration file: INI-style sections, of which
// [Aliases] maps database names to directories (NAME=DIRECTORY).
#pragma once

#include <map>
#include <string>

namespace pdx {

struct EngineConfig {
  // Upper-cased alias name -> directory.
  std::map<std::string, std::string> aliases;
  // Upper-cased alias name -> the code page its section sets (CODEPAGE=N).
  std::map<std::string, int> code_pages;

  // The directory of alias (any case), empty when there is none.
  std::string AliasPath(const std::string& alias) const;
  // The code page set for alias (any case), 0 when none is.
  int AliasCodePage(const std::string& alias) const;
};

// Parses the text of a configuration file; lines it cannot read are skipped.
EngineConfig ParseEngineConfig(const std::string& text);

// The configuration in effect: the file named by PDX_CONFIG, else
// "engine.cfg" beside the module holding the engine (or in the lib folder
// beside it, for programs that link the store in). Empty when there is none.
EngineConfig LoadEngineConfig();

}  // namespace pdx
