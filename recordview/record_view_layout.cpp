#include "recordview/record_view_layout.h"

#include <algorithm>

namespace recordview {

namespace {

using toolkit::Rect;

// The room an edit box of displayWidth characters takes: one character more
// than its width, plus the box's frame.
int boxWidth(const LayoutMetrics& metrics, int displayWidth) {
  return metrics.zeroWidth * (displayWidth + 1) + 3;
}

Rect rectAt(int left, int top, int width, int height) {
  return Rect{left, top, left + width, top + height};
}

// What the vertical and horizontal styles share: the panels, the window's
// height from the running top, the window's place on the work area.
struct Common {
  const LayoutSettings& settings;
  const LayoutMetrics& metrics;
  const toolkit::Rect& work;
  LayoutResult result;

  Common(const LayoutSettings& s, const LayoutMetrics& m)
      : settings(s), metrics(m), work(m.screen.workArea) {
    result.recordPanelTop = metrics.navigatorPanelHeight;
    if (settings.has(rvokShowOKCancel)) {
      result.userPanelHeight = 2 * metrics.screen.dialogFrameHeight + metrics.okHeight + 10;
    }
    result.buttonTop = metrics.screen.dialogFrameHeight + 5;
  }

  int navigatorMinimum() const {
    int navigator = settings.has(rvoHideNavigator) ? 0 : kNavigatorWidth;
    return navigator + settings.margin.RightOffset + 14;
  }

  // The window's width before any field is placed: what contents asks for,
  // or the stored width, never narrower than the navigator nor wider than the
  // work area allows.
  int initialWidth(int contents, int atLeast) const {
    int width = settings.position.Width < 1 ? std::max(contents, atLeast)
                                            : std::max(settings.position.Width, navigatorMinimum());
    return std::min(width, work.width() - settings.margin.RightOffset - 14);
  }

  void heightFromRunningTop() {
    LayoutResult& r = result;
    r.fullHeight =
        metrics.screen.captionHeight + r.recordPanelTop + r.runningTop + r.userPanelHeight + 21;
    if (settings.hasMenu && settings.borderStyle != TFormBorderStyle::bsDialog) {
      r.fullHeight += metrics.screen.menuBarHeight;
    }
    r.windowHeight = settings.position.Height < 1
                         ? r.fullHeight
                         : std::min(r.fullHeight, settings.position.Height);
    r.windowHeight = std::min(r.windowHeight, work.height() - 12);
  }

  // Whether the rows are taller than the record panel shows.
  bool scrollsVertically() const {
    const LayoutResult& r = result;
    int recordPanelHeight =
        r.windowHeight - metrics.nonClientHeight - r.recordPanelTop - r.userPanelHeight;
    return recordPanelHeight - 12 < r.runningTop;
  }

  void finish() {
    LayoutResult& r = result;
    if (settings.has(rvokShowOKCancel)) r.buttons = PlaceButtons(r.windowWidth, metrics.okWidth);
    const TwwFormPosition& position = settings.position;
    r.windowLeft =
        position.Left > 0 ? position.Left : work.left + (work.width() - r.windowWidth) / 2;
    r.windowTop = position.Top > 0 ? position.Top : work.top + (work.height() - r.windowHeight) / 2;
  }
};

class WidthRules {
 public:
  WidthRules(const LayoutSettings& settings, int room, bool consistent)
      : shorten_(settings.has(rvoShortenEditBox)),
        widen_(consistent && settings.has(rvoConsistentEditWidth)),
        room_(room) {}
  int apply(int width) const {
    if (shorten_ && width > room_) return room_;
    if (widen_ && width < room_) return room_;
    return width;
  }

 private:
  bool shorten_;
  bool widen_;
  int room_;
};

// Creates the control through the sink, then applies the width rules again
// to what the after-create event left; answers the final bounds.
Rect placeAndRule(LayoutSink& sink, int field, ControlPlacement placement, bool ruled,
                  const WidthRules& rules) {
  if (ruled) {
    Rect& b = placement.bounds;
    b.right = b.left + rules.apply(b.width());
  }
  Rect bounds = sink.placeControl(field, placement);
  if (ruled) {
    int width = rules.apply(bounds.width());
    if (width != bounds.width()) {
      sink.setControlWidth(field, width);
      bounds.right = bounds.left + width;
    }
  }
  return bounds;
}

LayoutResult layOutVertically(const std::vector<LayoutField>& fields,
                              const LayoutSettings& settings, const LayoutMetrics& metrics,
                              LayoutSink& sink) {
  Common common(settings, metrics);
  LayoutResult& r = common.result;
  const TwwMargin& margin = settings.margin;
  const TwwVertEditSpacing& spacing = settings.spacing.VerticalView;

  for (const LayoutField& field : fields) {
    if (field.rowBreak) continue;
    r.labelWidth = std::max(r.labelWidth, metrics.labelWidth(field.label));
    r.widestEdit = std::max(r.widestEdit, boxWidth(metrics, field.displayWidth));
  }
  r.editLeft = margin.LeftOffset + r.labelWidth + spacing.BetweenLabelEdit;
  r.windowWidth =
      common.initialWidth(kScrollBoxLeft + r.editLeft + r.widestEdit + margin.RightOffset + 14,
                          common.navigatorMinimum());
  const int room = r.windowWidth - margin.RightOffset - r.editLeft - 20;
  const WidthRules rules(settings, room, true);

  r.widestEdit = 0;
  int lastHeight = 8;
  int top = margin.TopOffset;
  for (int i = 0; i < static_cast<int>(fields.size()); ++i) {
    const LayoutField& field = fields[static_cast<size_t>(i)];
    if (field.rowBreak || !sink.acceptField(i)) continue;
    const bool checkBox = field.kind == ControlKind::kCheckBox;
    LabelPlacement label;
    label.bounds =
        rectAt(margin.LeftOffset, top + (checkBox ? 1 : 4), r.labelWidth, metrics.labelHeight);
    label.caption = LabelCaption(field.label);
    label.rightAligned = true;
    sink.placeLabel(i, label);

    ControlPlacement control;
    const bool readOnly = field.readOnly || field.calculated;
    switch (field.kind) {
      case ControlKind::kCheckBox:
        control.bounds = rectAt(r.editLeft, top, kCheckBoxWidth, metrics.checkBoxHeight);
        control.tabStop = !readOnly;
        break;
      case ControlKind::kCustom:
        control.bounds =
            rectAt(r.editLeft, top, boxWidth(metrics, field.displayWidth), field.customHeight);
        break;
      case ControlKind::kRichEdit:
        control.bounds = rectAt(r.editLeft, top, room, field.customHeight);
        break;
      case ControlKind::kMemo:
        control.bounds =
            rectAt(r.editLeft, top, r.windowWidth - r.editLeft - margin.RightOffset - 20,
                   2 * metrics.zeroHeight + 8);
        break;
      case ControlKind::kEdit:
        control.bounds =
            rectAt(r.editLeft, top, boxWidth(metrics, field.displayWidth), metrics.editHeight);
        control.readOnlyColor = readOnly;
        control.tabStop = !readOnly;
        break;
    }
    const bool ruled = !checkBox && field.placed;
    Rect bounds = placeAndRule(sink, i, control, ruled, rules);
    top += bounds.height() + spacing.BetweenRow;
    lastHeight = bounds.height();
    r.widestEdit = std::max(r.widestEdit, bounds.width());
  }

  top += margin.BottomOffset - spacing.BetweenRow;
  r.runningTop = top;
  common.heightFromRunningTop();
  r.vertical = ScrollSetting{6, spacing.BetweenRow + lastHeight, r.runningTop};
  if (common.scrollsVertically()) r.windowWidth += metrics.screen.horizontalThumbWidth;

  const int rightEnd = kScrollBoxLeft + r.editLeft + r.widestEdit + margin.RightOffset + 14;
  r.windowWidth = std::min(r.windowWidth, common.work.width());
  if (r.windowWidth < rightEnd) r.windowHeight += metrics.screen.verticalThumbHeight;
  r.horizontal = ScrollSetting{6, 0,
                               settings.has(rvoConsistentEditWidth)
                                   ? r.widestEdit
                                   : r.editLeft + r.widestEdit + margin.RightOffset};
  common.finish();
  return r;
}

LayoutResult layOutHorizontally(const std::vector<LayoutField>& fields,
                                const LayoutSettings& settings, const LayoutMetrics& metrics,
                                LayoutSink& sink) {
  Common common(settings, metrics);
  LayoutResult& r = common.result;
  const TwwMargin& margin = settings.margin;
  const TwwHorzEditSpacing& spacing = settings.spacing.HorizontalView;

  for (const LayoutField& field : fields) {
    if (!field.rowBreak)
      r.widestEdit = std::max(r.widestEdit, boxWidth(metrics, field.displayWidth));
  }
  const int firstWidestEdit = r.widestEdit;
  r.editLeft = margin.LeftOffset;
  r.windowWidth =
      common.initialWidth(kScrollBoxLeft + r.editLeft + r.widestEdit + margin.RightOffset + 14,
                          std::max(common.navigatorMinimum(), 400));
  const int room = r.windowWidth - kScrollBoxLeft - margin.RightOffset - r.editLeft - 20;
  const WidthRules rules(settings, room, false);
  const bool maximizeMemo = settings.has(rvoMaximizeMemoWidth);

  r.widestEdit = 0;
  int top = margin.TopOffset;
  int x = 0;
  int rowHeight = 0;
  int labelHeight = 0;
  int widestRow = 0;
  auto newRow = [&] {
    x = 0;
    top += spacing.BetweenLabelEdit + rowHeight + spacing.BetweenRow + labelHeight;
    rowHeight = 0;
  };
  for (int i = 0; i < static_cast<int>(fields.size()); ++i) {
    const LayoutField& field = fields[static_cast<size_t>(i)];
    if (field.rowBreak) {
      newRow();
      continue;
    }
    const int labelWidth = metrics.labelWidth(field.label);
    const bool fullWidth =
        maximizeMemo && (field.kind == ControlKind::kMemo || field.kind == ControlKind::kRichEdit);
    const int controlWidth = fullWidth ? room : boxWidth(metrics, field.displayWidth);
    if (x > 0 && room < std::max(controlWidth, labelWidth + spacing.LabelIndent) +
                            spacing.BetweenEditsInRow + x) {
      newRow();
    }
    if (!sink.acceptField(i)) continue;

    LabelPlacement label;
    label.bounds =
        rectAt(r.editLeft + x + spacing.LabelIndent, top, labelWidth, metrics.labelHeight);
    label.caption = LabelCaption(field.label);
    label.rightAligned = false;
    sink.placeLabel(i, label);
    labelHeight = metrics.labelHeight;

    ControlPlacement control;
    const int controlTop = top + labelHeight + spacing.BetweenLabelEdit;
    const bool readOnly = field.readOnly || field.calculated;
    int left = r.editLeft + x;
    int width = boxWidth(metrics, field.displayWidth);
    int height = metrics.editHeight;
    switch (field.kind) {
      case ControlKind::kCheckBox:
        width = kCheckBoxWidth;
        height = metrics.checkBoxHeight;
        control.tabStop = !readOnly;
        break;
      case ControlKind::kCustom:
      case ControlKind::kRichEdit:
        height = field.customHeight;
        [[fallthrough]];
      case ControlKind::kMemo:
        if (field.kind == ControlKind::kMemo) height = 2 * metrics.zeroHeight + 8;
        if (fullWidth) {
          left = r.editLeft;
          width = std::max(firstWidestEdit, room);
        }
        break;
      case ControlKind::kEdit:
        control.readOnlyColor = readOnly;
        control.tabStop = !readOnly;
        break;
    }
    control.bounds = rectAt(left, controlTop, width, height);
    const bool ruled = field.kind != ControlKind::kCheckBox && field.placed;
    Rect bounds = placeAndRule(sink, i, control, ruled, rules);

    r.widestEdit = std::max(r.widestEdit, bounds.width());
    rowHeight = std::max(rowHeight, bounds.height());
    x += std::max(bounds.width(), labelWidth + spacing.LabelIndent) + spacing.BetweenEditsInRow;
    widestRow = std::max(widestRow, x - spacing.BetweenEditsInRow);
  }

  top += spacing.BetweenLabelEdit + rowHeight + labelHeight + margin.BottomOffset;
  r.runningTop = top;
  common.heightFromRunningTop();
  r.vertical = ScrollSetting{6, spacing.BetweenRow + rowHeight, r.runningTop};
  const bool scrolls = common.scrollsVertically();
  if (scrolls) r.windowWidth += metrics.screen.horizontalThumbWidth;

  const int rightEnd = kScrollBoxLeft + r.editLeft + widestRow + margin.RightOffset + 14;
  r.windowWidth = std::min(r.windowWidth, common.work.width());
  if (r.windowWidth < rightEnd) {
    r.windowHeight += metrics.screen.verticalThumbHeight;
  } else {
    r.windowWidth = rightEnd + (scrolls ? metrics.screen.horizontalThumbWidth : 0);
  }
  r.horizontal = ScrollSetting{6, 0, r.editLeft + r.widestEdit + margin.RightOffset};
  common.finish();
  return r;
}

}  // namespace

LayoutResult LayOutRecordView(const std::vector<LayoutField>& fields,
                              const LayoutSettings& settings, const LayoutMetrics& metrics,
                              LayoutSink& sink) {
  return settings.style == TwwRecordViewStyle::rvsVertical
             ? layOutVertically(fields, settings, metrics, sink)
             : layOutHorizontally(fields, settings, metrics, sink);
}

ResizeResult ResizeRecordView(const LayoutSettings& settings, const LayoutMetrics& metrics,
                              const LayoutResult& layout, int windowWidth, int windowHeight) {
  ResizeResult result;
  if (settings.has(rvoConsistentEditWidth) && settings.style == TwwRecordViewStyle::rvsVertical) {
    result.resizeControls = true;
    result.controlWidth = windowWidth - (layout.editLeft + settings.margin.RightOffset + 20);
    if (windowHeight < layout.fullHeight) {
      result.controlWidth -= metrics.screen.horizontalThumbWidth;
    }
  }
  if (settings.has(rvokShowOKCancel)) {
    result.placeButtons = true;
    result.buttons = PlaceButtons(windowWidth, metrics.okWidth);
    // Too narrow for both at the right: they go to the left end.
    if (windowWidth - 10 < 2 * metrics.okWidth + 31) {
      result.buttons = ButtonPlacement{5, metrics.okWidth + 18};
    }
  }
  return result;
}

ButtonPlacement PlaceButtons(int panelWidth, int okWidth) {
  return ButtonPlacement{panelWidth - 2 * okWidth - 36, panelWidth - okWidth - 23};
}

std::string LabelCaption(const std::string& label) {
  std::string caption = label;
  std::replace(caption.begin(), caption.end(), '~', ' ');
  return caption;
}

void NonClientSize(TFormBorderStyle border, const toolkit::ScreenMetrics& screen, int& width,
                   int& height) {
  int frame = 0;
  switch (border) {
    case TFormBorderStyle::bsNone:
      width = height = 0;
      return;
    case TFormBorderStyle::bsSizeable:
    case TFormBorderStyle::bsSizeToolWin:
      // A sizing frame is one pixel wider than a dialog's.
      frame = screen.dialogFrameWidth + 1;
      break;
    default:
      frame = screen.dialogFrameWidth;
      break;
  }
  width = 2 * frame;
  height = 2 * frame + screen.captionHeight;
}

}  // namespace recordview
