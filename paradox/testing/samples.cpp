#include "samples.h"

#include <filesystem>
#include <fstream>
#include <iterator>

namespace pdx::testing {

const std::string& SamplesDirectory() {
  static const std::string directory = VINDRAL_SAMPLES_DIR;
  return directory;
}

bool HaveSamples() {
  std::error_code ignored;
  return std::filesystem::is_directory(SamplesDirectory(), ignored);
}

std::string NoSamplesReason() {
  return "needs the shared sample tables, not found at " + SamplesDirectory();
}

std::string SamplePath(const std::string& relative) {
  return SamplesDirectory() + "/" + relative;
}

std::string TestdataPath(const std::string& name) {
  return std::string(PDX_TESTDATA_DIR) + "/" + name;
}

template <class Bytes>
Bytes ReadTestFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  EXPECT_TRUE(in) << "cannot read " << path;
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

template std::vector<uint8_t> ReadTestFile(const std::string& path);
template std::string ReadTestFile(const std::string& path);

}  // namespace pdx::testing
