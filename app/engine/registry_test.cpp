#include "registry.h"

#include <gtest/gtest.h>

#include "test_support/temporary_directory.h"

namespace engine {
namespace {

using test_support::TemporaryDirectory;

TEST(Registry, FindsTheValueOfItsKeyIgnoringCaseAndBlanks) {
  TemporaryDirectory dir;
  auto file = dir.Path() / "registry.ini";
  dir.Write(file,
            "; machine settings\n"
            "[Software\\Other]\nDLLPATH=/wrong\n"
            "[ software\\vindral\\TABLE ENGINE ]\r\n"
            "  dllpath = /opt/engine;/usr/lib/engine  \r\n"
            "CONFIGFILE01=/etc/engine.cfg\n");
  EXPECT_EQ(readRegistryValue(file, "Software\\Vindral\\Table Engine", "DLLPATH"),
            "/opt/engine;/usr/lib/engine");
  EXPECT_EQ(readRegistryValue(file, "Software\\Vindral\\Table Engine", "MISSING"), std::nullopt);
  EXPECT_EQ(readRegistryValue(file, "Software\\Nobody", "DLLPATH"), std::nullopt);
}

TEST(Registry, MissingFileHasNoValues) {
  TemporaryDirectory dir;
  EXPECT_EQ(
      readRegistryValue(dir.Path() / "none.ini", "Software\\Vindral\\Table Engine", "DLLPATH"),
      std::nullopt);
}

TEST(Registry, EnvironmentOverridesTheMachineFile) {
  {
    test_support::ScopedEnvironment unset("VINDRAL_REGISTRY", "");
    EXPECT_EQ(registryFilePath(), "/etc/vindral/registry.ini");
  }
  test_support::ScopedEnvironment set("VINDRAL_REGISTRY", "/somewhere/registry.ini");
  EXPECT_EQ(registryFilePath(), "/somewhere/registry.ini");
}

}  // namespace
}  // namespace engine
