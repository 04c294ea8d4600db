#include "test_directory.h"

#include <cstdlib>
#include <fstream>
#include <stdexcept>

namespace engine::testing {

TestDirectory::TestDirectory() {
  std::string pattern = (std::filesystem::temp_directory_path() / "vindral-XXXXXX").string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot make a temporary directory");
  path_ = pattern;
}

TestDirectory::~TestDirectory() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::filesystem::path TestDirectory::sub(const std::string& name) const {
  std::filesystem::path dir = path_ / name;
  std::filesystem::create_directories(dir);
  return dir;
}

void TestDirectory::write(const std::filesystem::path& file, const std::string& content) const {
  std::ofstream(file, std::ios::binary) << content;
}

ScopedCurrentDirectory::ScopedCurrentDirectory(const std::filesystem::path& dir)
    : previous_(std::filesystem::current_path()) {
  std::filesystem::current_path(dir);
}

ScopedCurrentDirectory::~ScopedCurrentDirectory() {
  std::filesystem::current_path(previous_);
}

ScopedEnvironment::ScopedEnvironment(const std::string& name, const std::string& value)
    : name_(name) {
  if (const char* old = std::getenv(name.c_str())) previous_ = old;
  setenv(name.c_str(), value.c_str(), 1);
}

ScopedEnvironment::~ScopedEnvironment() {
  if (previous_) {
    setenv(name_.c_str(), previous_->c_str(), 1);
  } else {
    unsetenv(name_.c_str());
  }
}

}  // namespace engine::testing
