// Typing under a picture mask, key by key, as the edit box and the grid's
// editor apply it.
#include "edit/picture_typing.h"

#include <gtest/gtest.h>

namespace edit {
namespace {

// Types keys one by one at the caret, applying each answer as a control does.
struct Typist {
  std::string mask;
  bool autoFill = true;
  PictureTypingState state;
  std::vector<PictureKeyAction> actions;
  std::vector<std::optional<bool>> reports;

  void Type(const std::string& keys) {
    for (char key : keys) {
      PictureKeyResult result = TypePictureKey(mask, autoFill, state, std::string(1, key));
      actions.push_back(result.action);
      reports.push_back(result.passes);
      if (result.action == PictureKeyAction::kConsumed) {
        state.text = result.text;
        state.selStart = result.caret;
        state.selLength = 0;
      } else if (result.action == PictureKeyAction::kLeaveToEditBox) {
        state.text.insert(static_cast<size_t>(state.selStart), 1, key);
        ++state.selStart;
      }
    }
  }
};

TEST(PictureTyping, LiteralsAreFilledInAfterTheDigitsBeforeThem) {
  Typist typist{"###-####"};
  typist.Type("555");
  EXPECT_EQ(typist.state.text, "555-");
  EXPECT_EQ(typist.state.selStart, 4);
  EXPECT_EQ(typist.reports.back(), false);
  typist.Type("1234");
  EXPECT_EQ(typist.state.text, "555-1234");
  EXPECT_EQ(typist.reports.back(), true);
  // Without fill the dash must be typed.
  Typist plain{"###-####", false};
  plain.Type("555");
  EXPECT_EQ(plain.state.text, "555");
}

TEST(PictureTyping, AWrongKeyAtTheEndIsRefusedAndInTheMiddleLeftToTheBox) {
  Typist typist{"###-####"};
  typist.Type("55");
  typist.Type("x");
  EXPECT_EQ(typist.actions.back(), PictureKeyAction::kRefused);
  EXPECT_EQ(typist.reports.back(), std::nullopt);
  EXPECT_EQ(typist.state.text, "55");

  typist.state.selStart = 1;
  typist.Type("x");
  EXPECT_EQ(typist.actions.back(), PictureKeyAction::kLeaveToEditBox);
  EXPECT_EQ(typist.reports.back(), false);
  EXPECT_EQ(typist.state.text, "5x5");
}

TEST(PictureTyping, TypingOverAWholeSelectionStartsAfreshAndCaseFollowsTheMask) {
  Typist typist{"&&-###"};
  typist.state = {"AB-123", 0, 6, 0};
  typist.Type("q");
  EXPECT_EQ(typist.state.text, "Q");
  EXPECT_EQ(typist.state.selStart, 1);
  typist.Type("r");
  EXPECT_EQ(typist.state.text, "QR-");
}

TEST(PictureTyping, TheEditBoxKeepsItsLengthLimit) {
  PictureKeyResult result = TypePictureKey("*#", true, {"1234", 4, 0, 4}, "5");
  EXPECT_EQ(result.action, PictureKeyAction::kLeaveToEditBox);
  EXPECT_EQ(result.passes, std::nullopt);
}

TEST(PictureTyping, TheValueCheckAndPasting) {
  EXPECT_TRUE(PicturePasses("###-####", ""));
  EXPECT_TRUE(PicturePasses("###-####", "555-1234"));
  EXPECT_FALSE(PicturePasses("###-####", "555-"));
  EXPECT_FALSE(PicturePasses("###-####", "5551234"));
  EXPECT_EQ(MatchPastedText("###-####", "555"), "555-");
  EXPECT_EQ(MatchPastedText("###-####", "abc"), "abc");
}

}  // namespace
}  // namespace edit
