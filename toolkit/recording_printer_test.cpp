#include <gtest/gtest.h>

#include <stdexcept>

#include "printer.h"

namespace toolkit {
namespace {

TEST(RecordingPrinter, LogsTheJobAndWherePagesStart) {
  RecordingPrinter printer(4800, 6600, 600);
  printer.setTitle("xvDBPrint1");
  printer.beginDoc();
  printer.canvas().textOut(40, 40, "a");
  printer.newPage();
  printer.canvas().textOut(40, 40, "b");
  printer.canvas().line({0, 0}, {10, 0});
  printer.endDoc();
  EXPECT_EQ(printer.steps(),
            (std::vector<std::string>{"title xvDBPrint1", "begin", "new page", "end"}));
  EXPECT_EQ(printer.pageStarts(), (std::vector<std::size_t>{0, 1}));
  EXPECT_EQ(printer.canvas().textWidth("X"), 34);
}

TEST(RecordingPrinter, RefusesStepsOutOfOrderAndCanFailItsBegin) {
  RecordingPrinter printer(100, 100, 300);
  EXPECT_THROW(printer.newPage(), std::runtime_error);
  printer.failNextBegin("no printer");
  EXPECT_THROW(printer.beginDoc(), std::runtime_error);
  EXPECT_FALSE(printer.printing());
  printer.beginDoc();
  EXPECT_THROW(printer.beginDoc(), std::runtime_error);
}

}  // namespace
}  // namespace toolkit
