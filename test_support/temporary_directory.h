// Test helpers every folder's tests share: a fresh temporary directory,
// removed with everything in it afterwards; a change of the current
// directory, and of an environment variable, undone afterwards. Header only,
// so that any test program can use them by including this file.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <stdexcept>
#include <string>

namespace test_support {

class TemporaryDirectory {
 public:
  // Throws std::runtime_error when no directory can be made.
  TemporaryDirectory() {
    std::string pattern = (std::filesystem::temp_directory_path() / "vindral-test-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot make a temporary directory");
    path_ = pattern;
  }
  ~TemporaryDirectory() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TemporaryDirectory(const TemporaryDirectory&) = delete;
  TemporaryDirectory& operator=(const TemporaryDirectory&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  // The path of a file in the directory.
  std::string File(const std::string& name) const { return (path_ / name).string(); }
  // A subdirectory, made when it is not there yet.
  std::filesystem::path Sub(const std::string& name) const {
    std::filesystem::path dir = path_ / name;
    std::filesystem::create_directories(dir);
    return dir;
  }
  // Writes a file whole, replacing what it held.
  void Write(const std::filesystem::path& file, const std::string& content) const {
    std::ofstream(file, std::ios::binary | std::ios::trunc) << content;
  }
  // The path as a database name, with the '/' by which the engine tells a
  // directory from an alias.
  std::string Database() const { return path_.string() + "/"; }

 private:
  std::filesystem::path path_;
};

class ScopedCurrentDirectory {
 public:
  explicit ScopedCurrentDirectory(const std::filesystem::path& dir)
      : previous_(std::filesystem::current_path()) {
    std::filesystem::current_path(dir);
  }
  ~ScopedCurrentDirectory() {
    std::error_code ignored;
    std::filesystem::current_path(previous_, ignored);
  }
  ScopedCurrentDirectory(const ScopedCurrentDirectory&) = delete;
  ScopedCurrentDirectory& operator=(const ScopedCurrentDirectory&) = delete;

 private:
  std::filesystem::path previous_;
};

class ScopedEnvironment {
 public:
  ScopedEnvironment(const std::string& name, const std::string& value) : name_(name) {
    if (const char* old = std::getenv(name.c_str())) previous_ = old;
    setenv(name.c_str(), value.c_str(), 1);
  }
  ~ScopedEnvironment() {
    if (previous_) {
      setenv(name_.c_str(), previous_->c_str(), 1);
    } else {
      unsetenv(name_.c_str());
    }
  }
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

 private:
  std::string name_;
  std::optional<std::string> previous_;
};

}  // namespace test_support
