// Where the record view puts its labels and controls, how large its window
// is within the desktop's work area, and how it scrolls: the arithmetic of
// both styles (labels beside the controls, one field per row; or labels above
// them, fields flowing left to right) and of the resize handler.
//
// The layout creates nothing itself: it calls a LayoutSink for every field
// in order, so the dialog can create each control (and run its events, which
// may resize it) before the next field is placed. Sizes are outer window
// pixels, as the screen metrics give them. Qt-free, so tests check every
// number with fixed metrics.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "recordview/record_view_settings.h"
#include "toolkit/canvas.h"
#include "toolkit/screen_metrics.h"

namespace recordview {

// The scroll box sits 6 pixels inside the window: the record panel's bevels
// and border.
inline constexpr int kScrollBoxLeft = 6;
inline constexpr int kNavigatorWidth = 240;
inline constexpr int kCheckBoxWidth = 17;

enum class ControlKind { kEdit, kMemo, kCheckBox, kCustom, kRichEdit };

struct LayoutField {
  std::string label;  // as given; tildes are measured as they stand
  int displayWidth = 0;
  bool readOnly = false;
  bool calculated = false;
  ControlKind kind = ControlKind::kEdit;
  // A borrowed control is placed only when it is bound to the dialog's data
  // source and to this field; it keeps its own height.
  bool placed = true;
  int customHeight = 21;
  // In the horizontal style, a chosen entry that names no field: it only
  // starts a new row.
  bool rowBreak = false;
};

// What the layout measures with: the window's and the labels' fonts, the
// heights of the controls as the toolkit makes them, the button factory's
// button size, and the panels the dialog has already made.
struct LayoutMetrics {
  toolkit::ScreenMetrics screen;
  int zeroWidth = 6;  // "0" in the window's font
  int zeroHeight = 13;
  std::function<int(const std::string&)> labelWidth;  // in the label font
  int labelHeight = 13;
  int editHeight = 21;
  int checkBoxHeight = 17;
  int okWidth = 77;
  int okHeight = 27;
  int navigatorPanelHeight = 41;  // 0 without the navigator
  // Outer minus client size: frames and caption.
  int nonClientWidth = 8;
  int nonClientHeight = 27;
};

struct LayoutSettings {
  TwwRecordViewStyle style = TwwRecordViewStyle::rvsVertical;
  TwwRecordViewOptions options = DefaultRecordViewOptions();
  TwwRecordViewOKCancelOptions okCancel = DefaultOKCancelOptions();
  TwwMargin margin;
  TwwEditSpacing spacing;
  TwwFormPosition position;
  TFormBorderStyle borderStyle = TFormBorderStyle::bsSizeable;
  bool hasMenu = false;

  bool has(TwwRecordViewOption option) const { return options.count(option) != 0; }
  bool has(TwwRecordViewOKCancelOption option) const { return okCancel.count(option) != 0; }
};

struct LabelPlacement {
  toolkit::Rect bounds;  // in the scroll box
  std::string caption;   // tildes shown as blanks
  bool rightAligned = true;
};

struct ControlPlacement {
  toolkit::Rect bounds;
  bool tabStop = true;
  bool readOnlyColor = false;  // coloured as read-only
};

// Called in field order while the layout runs.
class LayoutSink {
 public:
  virtual ~LayoutSink() = default;
  // The before-create event: false leaves the field out.
  virtual bool acceptField(int field) = 0;
  virtual void placeLabel(int field, const LabelPlacement& label) = 0;
  // Creates the control at placement, runs the after-create event and
  // answers the control's bounds afterwards.
  virtual toolkit::Rect placeControl(int field, const ControlPlacement& placement) = 0;
  // The width rules changed the control's width after the event.
  virtual void setControlWidth(int field, int width) = 0;
};

struct ScrollSetting {
  int margin = 6;
  int increment = 0;
  int range = 0;
  bool operator==(const ScrollSetting&) const = default;
};

struct ButtonPlacement {
  int okLeft = 0;
  int cancelLeft = 0;
  bool operator==(const ButtonPlacement&) const = default;
};

struct LayoutResult {
  int editLeft = 0;    // where controls start (the row start, horizontally)
  int labelWidth = 0;  // the vertical style's label column
  int runningTop = 0;  // the bottom of the last row plus the bottom margin
  int fullHeight = 0;  // the window height that shows every row
  int widestEdit = 0;
  int windowLeft = 0;
  int windowTop = 0;
  int windowWidth = 0;
  int windowHeight = 0;
  int recordPanelTop = 0;
  int userPanelHeight = 0;  // 0 without OK and Cancel
  int buttonTop = 0;
  ButtonPlacement buttons;
  ScrollSetting vertical;
  ScrollSetting horizontal;
};

// Runs the layout of the style in settings over fields (those that passed
// the field filter, in order), calling sink for each.
LayoutResult LayOutRecordView(const std::vector<LayoutField>& fields,
                              const LayoutSettings& settings, const LayoutMetrics& metrics,
                              LayoutSink& sink);

// The resize handler's answers for a window now width by height.
struct ResizeResult {
  bool resizeControls = false;  // every control in the edit list gets controlWidth
  int controlWidth = 0;
  bool placeButtons = false;
  ButtonPlacement buttons;
};
ResizeResult ResizeRecordView(const LayoutSettings& settings, const LayoutMetrics& metrics,
                              const LayoutResult& layout, int windowWidth, int windowHeight);

// OK and Cancel at the right end of a button panel panelWidth wide.
ButtonPlacement PlaceButtons(int panelWidth, int okWidth);

// The label's caption: every "~" shown as a blank.
std::string LabelCaption(const std::string& label);

// Outer minus client size of a window with this border.
void NonClientSize(TFormBorderStyle border, const toolkit::ScreenMetrics& screen, int& width,
                   int& height);

}  // namespace recordview
