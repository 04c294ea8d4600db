// The record view's layout arithmetic with fixed metrics: every character 6
// pixels wide, labels 13 high, edit boxes 21 high, the classic desktop's
// 1024 by 740 work area, caption 19, dialog frame 3, thumbs 16.
#include "recordview/record_view_layout.h"

#include <gtest/gtest.h>

#include <map>

namespace recordview {
namespace {

using toolkit::Rect;

class RecordingSink : public LayoutSink {
 public:
  bool acceptField(int field) override { return refused.count(field) == 0; }
  void placeLabel(int field, const LabelPlacement& label) override { labels[field] = label; }
  Rect placeControl(int field, const ControlPlacement& placement) override {
    controls[field] = placement;
    Rect bounds = placement.bounds;
    // The after-create event may resize the control.
    if (auto it = widthAfterEvent.find(field); it != widthAfterEvent.end()) {
      bounds.right = bounds.left + it->second;
    }
    return bounds;
  }
  void setControlWidth(int field, int width) override { widthsSet[field] = width; }

  std::set<int> refused;
  std::map<int, int> widthAfterEvent;
  std::map<int, LabelPlacement> labels;
  std::map<int, ControlPlacement> controls;
  std::map<int, int> widthsSet;
};

LayoutMetrics FixedMetrics() {
  LayoutMetrics metrics;
  metrics.labelWidth = [](const std::string& text) { return 6 * static_cast<int>(text.size()); };
  return metrics;
}

LayoutField Text(const std::string& label, int displayWidth) {
  LayoutField field;
  field.label = label;
  field.displayWidth = displayWidth;
  return field;
}

// The button panel: twice the dialog frame, the OK button's height, and 10.
constexpr int kUserPanel = 2 * 3 + 27 + 10;
// The navigator's minimum width: its 240 pixels, the right margin and 14.
constexpr int kNavigatorMinimum = 240 + 5 + 14;

TEST(RecordViewLayout, ThreeTextFieldsStackUnderTheNavigatorCentredOnTheWorkArea) {
  RecordingSink sink;
  LayoutMetrics metrics = FixedMetrics();
  LayoutResult r = LayOutRecordView({Text("Name", 20), Text("City", 10), Text("Zip", 5)},
                                    LayoutSettings{}, metrics, sink);

  const int labelWidth = 4 * 6;
  EXPECT_EQ(r.editLeft, 5 + labelWidth + 5);
  EXPECT_EQ(r.runningTop, 5 + 3 * (21 + 2) + 5 - 2);
  EXPECT_EQ(r.fullHeight, 19 + 41 + r.runningTop + kUserPanel + 21);
  EXPECT_EQ(r.windowHeight, r.fullHeight);
  EXPECT_EQ(r.windowWidth, kNavigatorMinimum) << "the contents are narrower than the navigator";
  EXPECT_EQ(r.windowLeft, (1024 - r.windowWidth) / 2);
  EXPECT_EQ(r.windowTop, (740 - r.windowHeight) / 2);

  // Right-aligned labels of the column's width, 4 below each row's top.
  EXPECT_EQ(sink.labels[1].bounds, (Rect{5, 5 + 23 + 4, 5 + labelWidth, 5 + 23 + 4 + 13}));
  EXPECT_TRUE(sink.labels[1].rightAligned);
  // Each box one character wider than the field, plus 3.
  EXPECT_EQ(sink.controls[0].bounds, (Rect{r.editLeft, 5, r.editLeft + 6 * 21 + 3, 5 + 21}));
  EXPECT_EQ(sink.controls[2].bounds.top, 5 + 2 * 23);
  EXPECT_EQ(sink.controls[2].bounds.width(), 6 * 6 + 3);
  EXPECT_TRUE(sink.controls[2].tabStop);
  EXPECT_FALSE(sink.controls[2].readOnlyColor);

  EXPECT_EQ(r.vertical, (ScrollSetting{6, 2 + 21, r.runningTop}));
  EXPECT_EQ(r.horizontal, (ScrollSetting{6, 0, r.editLeft + (6 * 21 + 3) + 5}));
  EXPECT_EQ(r.buttons.okLeft, r.windowWidth - 2 * 77 - 36);
  EXPECT_EQ(r.buttons.cancelLeft, r.windowWidth - 77 - 23);
  EXPECT_EQ(r.buttonTop, 3 + 5);
}

TEST(RecordViewLayout, ReadOnlyAndCalculatedFieldsAreColouredAndLeftOutOfTabbing) {
  RecordingSink sink;
  LayoutField readOnly = Text("Total", 8);
  readOnly.readOnly = true;
  LayoutField calculated = Text("Sum", 8);
  calculated.calculated = true;
  LayoutField check = Text("Done", 1);
  check.kind = ControlKind::kCheckBox;
  check.readOnly = true;
  LayoutResult r = LayOutRecordView({Text("Name", 10), readOnly, calculated, check},
                                    LayoutSettings{}, FixedMetrics(), sink);
  EXPECT_TRUE(sink.controls[0].tabStop);
  for (int field : {1, 2}) {
    EXPECT_TRUE(sink.controls[field].readOnlyColor) << field;
    EXPECT_FALSE(sink.controls[field].tabStop) << field;
  }
  EXPECT_FALSE(sink.controls[3].tabStop);
  EXPECT_FALSE(sink.controls[3].readOnlyColor) << "only edit boxes take the read-only colour";
  EXPECT_EQ(sink.controls[3].bounds,
            (Rect{r.editLeft, 5 + 3 * 23, r.editLeft + 17, 5 + 3 * 23 + 17}));
  EXPECT_EQ(sink.labels[3].bounds.top, 5 + 3 * 23 + 1) << "a check box's label stands 1 lower";
  EXPECT_EQ(r.runningTop, 5 + 3 * 23 + 17 + 2 + 5 - 2);
}

TEST(RecordViewLayout, ATildeInALabelShowsAsABlank) {
  RecordingSink sink;
  LayOutRecordView({Text("Portf~No", 4), Text("A~b~c", 4)}, LayoutSettings{}, FixedMetrics(), sink);
  EXPECT_EQ(sink.labels[0].caption, "Portf No");
  EXPECT_EQ(sink.labels[1].caption, "A b c");
  EXPECT_EQ(sink.labels[1].bounds.width(), 8 * 6) << "measured as stored, tilde included";
}

TEST(RecordViewLayout, MoreRowsThanTheWorkAreaHoldsScroll) {
  RecordingSink sink;
  std::vector<LayoutField> fields;
  for (int i = 0; i < 40; ++i) fields.push_back(Text("F" + std::to_string(i), 10));
  LayoutResult r = LayOutRecordView(fields, LayoutSettings{}, FixedMetrics(), sink);
  EXPECT_EQ(r.runningTop, 5 + 40 * 23 + 5 - 2);
  EXPECT_GT(r.fullHeight, 740 - 12);
  EXPECT_EQ(r.windowHeight, 740 - 12);
  EXPECT_EQ(r.vertical.increment, 21 + 2);
  EXPECT_EQ(r.vertical.range, r.runningTop);
  EXPECT_EQ(r.windowWidth, kNavigatorMinimum + 16) << "widened by the scroll bar's thumb";
  EXPECT_EQ(r.windowTop, (740 - r.windowHeight) / 2);
}

TEST(RecordViewLayout, FormPositionGivesSizeAndPlace) {
  RecordingSink sink;
  LayoutSettings settings;
  settings.position = TwwFormPosition{30, 40, 300, 200};
  std::vector<LayoutField> fields;
  for (int i = 0; i < 8; ++i) fields.push_back(Text("Field" + std::to_string(i), 10));
  LayoutResult r = LayOutRecordView(fields, settings, FixedMetrics(), sink);
  EXPECT_EQ(r.windowHeight, 200) << "the stored height caps the full height";
  EXPECT_GT(r.fullHeight, 200);
  // The record panel (200 - 27 - 41 - 43) shows less than the rows: a vertical
  // scroll bar, and the window widened for it.
  EXPECT_EQ(r.windowWidth, 300 + 16);
  EXPECT_EQ(r.windowLeft, 30);
  EXPECT_EQ(r.windowTop, 40);

  settings.position = TwwFormPosition{0, 0, 100, 2000};
  RecordingSink narrow;
  r = LayOutRecordView({Text("A", 4)}, settings, FixedMetrics(), narrow);
  EXPECT_EQ(r.windowWidth, kNavigatorMinimum) << "never narrower than the navigator";
  EXPECT_EQ(r.windowHeight, r.fullHeight) << "a taller stored height does not stretch it";

  settings.options.insert(rvoHideNavigator);
  RecordingSink noNavigator;
  LayoutMetrics metrics = FixedMetrics();
  metrics.navigatorPanelHeight = 0;
  r = LayOutRecordView({Text("A", 4)}, settings, metrics, noNavigator);
  EXPECT_EQ(r.windowWidth, 100);
  EXPECT_EQ(r.fullHeight, 19 + 0 + r.runningTop + kUserPanel + 21);
}

TEST(RecordViewLayout, WidthRulesFitBoxesToTheRoomBesideTheLabels) {
  LayoutMetrics metrics = FixedMetrics();
  std::vector<LayoutField> fields{Text("Long", 200), Text("Short", 4)};
  RecordingSink shortened;
  LayoutResult r = LayOutRecordView(fields, LayoutSettings{}, metrics, shortened);
  const int room = r.windowWidth - 5 - r.editLeft - 20;
  EXPECT_EQ(r.windowWidth, 1024 - 5 - 14) << "no wider than the work area allows";
  EXPECT_EQ(shortened.controls[0].bounds.width(), room);
  EXPECT_EQ(shortened.controls[1].bounds.width(), 5 * 6 + 3);

  LayoutSettings settings;
  settings.options.insert(rvoConsistentEditWidth);
  RecordingSink consistent;
  r = LayOutRecordView(fields, settings, metrics, consistent);
  EXPECT_EQ(consistent.controls[1].bounds.width(), room);
  EXPECT_EQ(r.horizontal.range, room) << "the widest edit alone";

  // An after-create handler that widens a box is narrowed back.
  RecordingSink widened;
  widened.widthAfterEvent[1] = 5000;
  LayOutRecordView(fields, LayoutSettings{}, metrics, widened);
  EXPECT_EQ(widened.widthsSet[1], room);
}

TEST(RecordViewLayout, MemosAreTwoLinesHighAndAsWideAsTheWindowAllows) {
  RecordingSink sink;
  LayoutField memo = Text("Notes", 10);
  memo.kind = ControlKind::kMemo;
  LayoutResult r =
      LayOutRecordView({Text("Name", 60), memo}, LayoutSettings{}, FixedMetrics(), sink);
  EXPECT_EQ(sink.controls[1].bounds.height(), 2 * 13 + 8);
  EXPECT_EQ(sink.controls[1].bounds.width(), r.windowWidth - r.editLeft - 5 - 20);
  EXPECT_EQ(r.vertical.increment, 2 + 2 * 13 + 8) << "the last control's height";
}

TEST(RecordViewLayout, RefusedFieldsTakeNoRow) {
  RecordingSink sink;
  sink.refused = {1};
  LayoutResult r = LayOutRecordView({Text("A", 4), Text("B", 4), Text("C", 4)}, LayoutSettings{},
                                    FixedMetrics(), sink);
  EXPECT_EQ(sink.controls.count(1), 0u);
  EXPECT_EQ(sink.controls[2].bounds.top, 5 + 23);
  EXPECT_EQ(r.runningTop, 5 + 2 * 23 + 5 - 2);
}

TEST(RecordViewLayout, MenuAddsItsBarUnlessTheBorderIsADialogs) {
  RecordingSink sink;
  LayoutSettings settings;
  settings.hasMenu = true;
  LayoutResult withMenu = LayOutRecordView({Text("A", 4)}, settings, FixedMetrics(), sink);
  settings.borderStyle = TFormBorderStyle::bsDialog;
  LayoutResult dialog = LayOutRecordView({Text("A", 4)}, settings, FixedMetrics(), sink);
  EXPECT_EQ(withMenu.fullHeight, dialog.fullHeight + 19);
}

TEST(RecordViewLayout, ResizeKeepsButtonsAtTheRightOrMovesThemLeftWhenNarrow) {
  RecordingSink sink;
  LayoutSettings settings;
  settings.options.insert(rvoConsistentEditWidth);
  LayoutMetrics metrics = FixedMetrics();
  LayoutResult r = LayOutRecordView({Text("Name", 20)}, settings, metrics, sink);

  ResizeResult wide = ResizeRecordView(settings, metrics, r, 500, r.fullHeight);
  EXPECT_TRUE(wide.resizeControls);
  EXPECT_EQ(wide.controlWidth, 500 - (r.editLeft + 5 + 20));
  EXPECT_EQ(wide.buttons, (ButtonPlacement{500 - 2 * 77 - 36, 500 - 77 - 23}));

  ResizeResult shorter = ResizeRecordView(settings, metrics, r, 500, r.fullHeight - 1);
  EXPECT_EQ(shorter.controlWidth, wide.controlWidth - 16) << "room for the vertical scroll bar";

  // 2 * 77 + 31 = 185 is the least for both buttons at the right.
  ResizeResult narrow = ResizeRecordView(settings, metrics, r, 194, r.fullHeight);
  EXPECT_EQ(narrow.buttons, (ButtonPlacement{5, 77 + 18}));
  ResizeResult justWide = ResizeRecordView(settings, metrics, r, 195, r.fullHeight);
  EXPECT_EQ(justWide.buttons, PlaceButtons(195, 77));

  ResizeResult plain = ResizeRecordView(LayoutSettings{}, metrics, r, 500, r.fullHeight);
  EXPECT_FALSE(plain.resizeControls);
}

TEST(RecordViewLayout, HorizontalStyleFlowsFieldsIntoRows) {
  RecordingSink sink;
  LayoutSettings settings;
  settings.style = TwwRecordViewStyle::rvsHorizontal;
  LayoutResult r = LayOutRecordView({Text("One", 20), Text("Two", 20), Text("Three", 20)}, settings,
                                    FixedMetrics(), sink);
  const int box = 6 * 21 + 3;
  // At least 400 wide before the fields are placed: the room is
  // 400 - 6 - 5 - 5 - 20.
  const int room = 400 - 6 - 5 - 5 - 20;
  ASSERT_LT(room, 3 * (box + 5));
  EXPECT_EQ(sink.labels[0].bounds, (Rect{5 + 1, 5, 5 + 1 + 18, 5 + 13}));
  EXPECT_FALSE(sink.labels[0].rightAligned);
  EXPECT_EQ(sink.controls[0].bounds, (Rect{5, 5 + 13 + 1, 5 + box, 5 + 13 + 1 + 21}));
  EXPECT_EQ(sink.controls[1].bounds.left, 5 + box + 5);
  const int secondRow = 5 + 1 + 21 + 2 + 13;
  EXPECT_EQ(sink.labels[2].bounds.top, secondRow);
  EXPECT_EQ(sink.controls[2].bounds.left, 5);
  EXPECT_EQ(r.runningTop, secondRow + 1 + 21 + 13 + 5);
  // The window shrinks to the widest row.
  EXPECT_EQ(r.windowWidth, 6 + 5 + (2 * box + 5) + 5 + 14);
  EXPECT_EQ(r.horizontal.range, 5 + box + 5);

  LayoutField gap;
  gap.rowBreak = true;
  RecordingSink broken;
  LayOutRecordView({Text("One", 4), gap, Text("Two", 4)}, settings, FixedMetrics(), broken);
  EXPECT_EQ(broken.controls[2].bounds.left, 5) << "an entry naming no field starts a row";
  EXPECT_EQ(broken.labels[2].bounds.top, 5 + 1 + 21 + 2 + 13);
}

TEST(RecordViewLayout, HorizontalMemoTakesTheWholeRoom) {
  RecordingSink sink;
  LayoutSettings settings;
  settings.style = TwwRecordViewStyle::rvsHorizontal;
  LayoutField memo = Text("Notes", 10);
  memo.kind = ControlKind::kMemo;
  LayOutRecordView({Text("A", 4), memo}, settings, FixedMetrics(), sink);
  const int room = 400 - 6 - 5 - 5 - 20;
  EXPECT_EQ(sink.controls[1].bounds.left, 5);
  EXPECT_EQ(sink.controls[1].bounds.width(), room);
  EXPECT_GT(sink.controls[1].bounds.top, sink.controls[0].bounds.top) << "on a row of its own";
}

}  // namespace
}  // namespace recordview
