#include "engine_error.h"

#include <gtest/gtest.h>

namespace engine {
namespace {

TEST(EngineErrorMessage, KeepsTextAndDistinctContextLinesInOrder) {
  EXPECT_EQ(composeErrorMessage(0x2728,
                                "Table does not exist.\nTable: PORTF.DB\nTable: PORTF.DB\n"
                                "Directory: /data\nTable does not exist."),
            "Table does not exist.\nTable: PORTF.DB\nDirectory: /data");
}

TEST(EngineErrorMessage, WithoutTextGivesTheCodeInFourHexDigits) {
  EXPECT_EQ(composeErrorMessage(0x2902, ""), "Engine error $2902");
  EXPECT_EQ(composeErrorMessage(0x00AB, "\n\n"), "Engine error $00ab");
}

TEST(EngineErrorMessage, StartupFailureNamesTheCode) {
  EXPECT_EQ(startupErrorMessage(8456),
            "An error occurred while attempting to initialize the table engine "
            "(error $2108)");
}

}  // namespace
}  // namespace engine
