// One key stroke through a picture mask: completing, auto-filled literals,
// refusals at the end of the text, overtyping inside it, and the length limit.
#include "grid/picture_typing.h"

#include <gtest/gtest.h>

namespace grid {
namespace {

using Action = PictureKeystroke::Action;

TEST(PictureTyping, CompleteAndIncompleteTexts) {
  PictureKeystroke typed = TypeIntoPicture("12", 2, 0, '3', "###", true, 0);
  EXPECT_EQ(Action::kTake, typed.action);
  EXPECT_EQ("123", typed.text);
  EXPECT_EQ(3, typed.caret);
  EXPECT_TRUE(typed.passes);
  typed = TypeIntoPicture("1", 1, 0, '2', "###", true, 0);
  EXPECT_EQ(Action::kTake, typed.action);
  EXPECT_EQ("12", typed.text);
  EXPECT_EQ(2, typed.caret);
  EXPECT_FALSE(typed.passes);
}

TEST(PictureTyping, LiteralsAreFilledInAndCaseIsApplied) {
  PictureKeystroke typed = TypeIntoPicture("12", 2, 0, '3', "###-##", true, 0);
  EXPECT_EQ("123-", typed.text);
  EXPECT_EQ(4, typed.caret);
  typed = TypeIntoPicture("", 0, 0, 'a', "&&", true, 0);
  EXPECT_EQ("A", typed.text);
}

TEST(PictureTyping, ErrorsAtTheEndAreRefusedInsideLetThrough) {
  EXPECT_EQ(Action::kRefuse, TypeIntoPicture("12", 2, 0, 'x', "###", true, 0).action);
  const PictureKeystroke inside = TypeIntoPicture("12", 0, 0, 'x', "###", true, 0);
  EXPECT_EQ(Action::kLetThrough, inside.action);
  EXPECT_FALSE(inside.passes);
}

TEST(PictureTyping, AWholeSelectionIsReplaced) {
  const PictureKeystroke typed = TypeIntoPicture("123", 0, 3, '9', "###", true, 0);
  EXPECT_EQ("9", typed.text);
  EXPECT_EQ(1, typed.caret);
}

TEST(PictureTyping, TheLengthLimitLeavesTheKeyToTheEditor) {
  EXPECT_EQ(Action::kLetThrough, TypeIntoPicture("123", 3, 0, '4', "*#", true, 3).action);
}

TEST(PictureTyping, PassingWithoutTyping) {
  EXPECT_TRUE(PassesPicture("", "###"));
  EXPECT_TRUE(PassesPicture("abc", ""));
  EXPECT_TRUE(PassesPicture("123", "###"));
  EXPECT_FALSE(PassesPicture("12", "###"));
}

}  // namespace
}  // namespace grid
