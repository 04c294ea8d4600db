// Files the store's tests read: the genuine tables of the shared sample
// folder beside the checkout, which a fresh clone lacks, and the small golden
// files of paradox/testdata, which every clone has. A test that needs the
// shared samples starts with SKIP_WITHOUT_SAMPLES() and is skipped, with a
// one-line reason, when the folder is not there.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace pdx::testing {

// The shared sample folder, as the build names it (VINDRAL_SAMPLES_DIR).
const std::string& SamplesDirectory();
bool HaveSamples();
// The one line a skipped test gives.
std::string NoSamplesReason();

// A file of the shared sample folder, by its path within it.
std::string SamplePath(const std::string& relative);
// A golden file of paradox/testdata.
std::string TestdataPath(const std::string& name);

// A whole file's bytes; a file that cannot be read fails the test and gives
// nothing. Bytes is std::vector<uint8_t> or std::string.
template <class Bytes = std::vector<uint8_t>>
Bytes ReadTestFile(const std::string& path);

template <class Bytes = std::vector<uint8_t>>
Bytes ReadSample(const std::string& relative) {
  return ReadTestFile<Bytes>(SamplePath(relative));
}

}  // namespace pdx::testing

#define SKIP_WITHOUT_SAMPLES()         \
  if (::pdx::testing::HaveSamples()) { \
  } else                               \
    GTEST_SKIP() << ::pdx::testing::NoSamplesReason()
