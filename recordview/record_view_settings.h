// The record view dialog's settings: its options, styles and the small
// setting objects it owns (margin, spacing, form position). Plain values, so
// the layout arithmetic that reads them needs no widgets. Qt-free.
#pragma once

#include <set>

namespace recordview {

enum class TwwRecordViewStyle { rvsVertical, rvsHorizontal };

enum TwwRecordViewOption {
  rvoHideReadOnly,
  rvoHideCalculated,
  rvoHideNavigator,
  rvoUseCustomControls,
  rvoShortenEditBox,
  rvoModalForm,
  rvoStayOnTopForm,
  rvoConsistentEditWidth,
  rvoEnterToTab,
  rvoConfirmCancel,
  rvoCloseIsCancel,
  rvoMaximizeMemoWidth,
};
using TwwRecordViewOptions = std::set<TwwRecordViewOption>;

enum TwwRecordViewOKCancelOption { rvokShowOKCancel, rvokAutoPostRec, rvokAutoCancelRec };
using TwwRecordViewOKCancelOptions = std::set<TwwRecordViewOKCancelOption>;

enum class TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };

// The space between the scrolling area's edges and the controls.
struct TwwMargin {
  int BottomOffset = 5;
  int TopOffset = 5;
  int LeftOffset = 5;
  int RightOffset = 5;
  bool operator==(const TwwMargin&) const = default;
};

struct TwwHorzEditSpacing {
  int BetweenEditsInRow = 5;
  int BetweenLabelEdit = 1;
  int BetweenRow = 2;
  int LabelIndent = 1;
  bool operator==(const TwwHorzEditSpacing&) const = default;
};

struct TwwVertEditSpacing {
  int BetweenLabelEdit = 5;
  int BetweenRow = 2;
  bool operator==(const TwwVertEditSpacing&) const = default;
};

struct TwwEditSpacing {
  TwwHorzEditSpacing HorizontalView;
  TwwVertEditSpacing VerticalView;
  bool operator==(const TwwEditSpacing&) const = default;
};

// A value of 0 or less lets the dialog choose.
struct TwwFormPosition {
  int Left = 0;
  int Top = 0;
  int Width = 0;
  int Height = 0;
  bool operator==(const TwwFormPosition&) const = default;
};

inline TwwRecordViewOptions DefaultRecordViewOptions() {
  return {rvoUseCustomControls, rvoShortenEditBox, rvoModalForm,
          rvoConfirmCancel,     rvoCloseIsCancel,  rvoMaximizeMemoWidth};
}
inline TwwRecordViewOKCancelOptions DefaultOKCancelOptions() {
  return {rvokShowOKCancel, rvokAutoPostRec, rvokAutoCancelRec};
}

}  // namespace recordview
