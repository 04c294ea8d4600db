#include "error_context.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "pdx_codes.h"

namespace pdx {
namespace {

TEST(ErrorContext, LinesStayWithTheirThreadUntilItClearsThem) {
  ClearErrorContext();
  AddErrorContext(PDX_ERR_CORRUPT_FILE, "File: a.DB");
  AddErrorContext(PDX_ERR_CORRUPT_FILE, "File: a.DB");
  std::vector<std::string> seen_by_other;
  std::thread other([&] {
    AddErrorContext(PDX_ERR_CORRUPT_FILE, "Field: Name");
    seen_by_other = ErrorContext();
    ClearErrorContext();
    EXPECT_TRUE(ErrorContext().empty());
  });
  other.join();
  EXPECT_EQ(seen_by_other, std::vector<std::string>{"Field: Name"});
  // The other thread's clearing leaves this thread's line, and the clearing
  // here is not skipped because the other thread holds none any more.
  EXPECT_EQ(ErrorContext(), std::vector<std::string>{"File: a.DB"});
  ClearErrorContext();
  EXPECT_TRUE(ErrorContext().empty());
  EXPECT_EQ(threads_with_context.load(), 0);
}

TEST(ErrorContext, AThreadEndingWithLinesStopsCounting) {
  ClearErrorContext();
  std::thread failing([] { AddErrorContext(PDX_ERR_CORRUPT_FILE, "File: b.DB"); });
  failing.join();
  EXPECT_EQ(threads_with_context.load(), 0);
}

}  // namespace
}  // namespace pdx
