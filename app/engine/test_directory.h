// Test helpers: a fresh temporary directory removed afterwards, a change of
// the current directory and of an environment variable undone afterwards.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace engine::testing {

class TestDirectory {
 public:
  TestDirectory();
  ~TestDirectory();
  TestDirectory(const TestDirectory&) = delete;
  TestDirectory& operator=(const TestDirectory&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path sub(const std::string& name) const;
  void write(const std::filesystem::path& file, const std::string& content) const;

 private:
  std::filesystem::path path_;
};

class ScopedCurrentDirectory {
 public:
  explicit ScopedCurrentDirectory(const std::filesystem::path& dir);
  ~ScopedCurrentDirectory();

 private:
  std::filesystem::path previous_;
};

class ScopedEnvironment {
 public:
  ScopedEnvironment(const std::string& name, const std::string& value);
  ~ScopedEnvironment();

 private:
  std::string name_;
  std::optional<std::string> previous_;
};

}  // namespace engine::testing
