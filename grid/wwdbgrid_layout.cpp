// The grid's layout: row heights from the fonts, one column per field (or per
// Selected entry), widths from the fields' display widths and titles, and a
// row count and record buffer that follow the window's height.
#include <algorithm>

#include "data/data_set.h"
#include "data/data_source.h"
#include "grid/cell_text.h"
#include "grid/wwdbgrid.h"
#include "toolkit/inplace_editor.h"
#include "toolkit/painter_canvas.h"

namespace grid {

namespace {

std::vector<std::string> SplitAt(const std::string& text, char separator) {
  std::vector<std::string> pieces;
  size_t start = 0;
  for (;;) {
    const size_t end = text.find(separator, start);
    pieces.push_back(
        text.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) return pieces;
    start = end + 1;
  }
}

// A Selected entry: name, tab, width in characters, tab, title.
struct SelectedEntry {
  std::string name;
  int width = 0;
  std::string title;
};

SelectedEntry ParseEntry(const std::string& line) {
  const std::vector<std::string> parts = SplitAt(line, '\t');
  SelectedEntry entry;
  entry.name = parts[0];
  if (parts.size() > 1) entry.width = std::atoi(parts[1].c_str());
  if (parts.size() > 2) entry.title = parts[2];
  return entry;
}

}  // namespace

toolkit::Canvas& TwwCustomDBGrid::Measure() {
  if (!measureCanvas_) measureCanvas_ = toolkit::PainterCanvas::onImage(1, 1);
  return *measureCanvas_;
}

void TwwCustomDBGrid::SetMeasureCanvas(std::unique_ptr<toolkit::Canvas> canvas) {
  measureCanvas_ = std::move(canvas);
  LayoutChanged();
}

int TwwCustomDBGrid::DataRowStep() const {
  return defaultRowHeight() + (options_.has(TwwDBGridOption::dgRowLines) ? 1 : 0);
}

void TwwCustomDBGrid::LayoutChanged() {
  if (layoutRunning_) return;
  layoutRunning_ = true;
  struct Done {
    bool& flag;
    ~Done() { flag = false; }
  } done{layoutRunning_};

  const bool rowLines = options_.has(TwwDBGridOption::dgRowLines);
  toolkit::Canvas& measure = Measure();
  measure.setFont(font_);
  int rowHeight = measure.textHeight("W") + 2 + (rowLines ? 1 : 0);
  rowHeight = rowHeight * rowHeightPercent_ / 100;
  setDefaultRowHeight(rowHeight);
  if (TitleOffset()) {
    measure.setFont(titleFont_);
    int titleHeight = measure.textHeight("W") * titleLines_ + 4 + (rowLines ? 0 : 1);
    if (IndicatorOffset() && indicatorButton_) {
      titleHeight = std::max(titleHeight, indicatorButton_->height());
      titleHeight += rowLines ? -1 : 1;
    }
    setTitleRowHeight(titleHeight);
  } else {
    setTitleRowHeight(rowHeight);
  }

  link_.ClearMapping();
  if (link_.Active()) {
    data::TDataSet* dataSet = link_.DataSet();
    if (useTFields_) {
      for (int i = 0; i < dataSet->FieldCount(); ++i)
        if (dataSet->Fields(i)->Visible()) link_.AddMapping(i);
    } else {
      for (size_t i = 0; i < Selected.size();) {
        const data::TField* field = dataSet->FindField(ParseEntry(Selected[i]).name);
        if (!field) {
          Selected.erase(Selected.begin() + static_cast<long>(i));
          continue;
        }
        link_.AddMapping(field->Index());
        ++i;
      }
    }
  }
  int columns = link_.MappedCount();
  if (columns == 0 && !useTFields_) columns = static_cast<int>(Selected.size());
  if (columns == 0) columns = 1;
  setColCount(columns + IndicatorOffset());
  if (IndicatorOffset()) {
    setColWidth(0, indicatorButton_ ? indicatorButton_->width() - 1 : 11);
    if (col() == 0) moveCurrent(1, row(), false);
  }
  if (fixedCols_ >= 0 && IndicatorOffset() + fixedCols_ < colCount())
    setFixedCols(IndicatorOffset() + fixedCols_);
  else
    setFixedCols(IndicatorOffset());

  const int rowsBefore = rowCount();
  UpdateRowCount();
  SetColumnWidths();
  if (rowCount() != rowsBefore) UpdateRowCount();
  SyncCurrentRow();
  UpdateScrollBar();
  update();
}

void TwwCustomDBGrid::SetColumnWidths() {
  toolkit::Canvas& measure = Measure();
  const int dataColumns = colCount() - IndicatorOffset();
  for (int i = 0; i < dataColumns; ++i) {
    data::TField* field = link_.Field(i);
    int chars = 0;
    if (useTFields_) {
      if (!field) continue;
      chars = field->DisplayWidth();
    } else if (i < static_cast<int>(Selected.size())) {
      chars = ParseEntry(Selected[static_cast<size_t>(i)]).width;
    }
    measure.setFont(font_);
    int width = chars * measure.textWidth("0") + 4;
    if (TitleOffset() && field) {
      measure.setFont(titleFont_);
      int titleWidth = 0;
      for (const std::string& piece : SplitAt(field->DisplayName(), '~'))
        titleWidth = std::max(titleWidth, measure.textWidth(screenText(link_.DataSet(), piece)));
      width = std::max(width, titleWidth + 4);
    }
    const int gridCol = i + IndicatorOffset();
    setColWidth(gridCol, width);
    bool stop = field && !field->ReadOnly();
    if (stop && !EditCalculated && field->Calculated()) stop = false;
    setTabStop(gridCol, stop);
  }
}

bool TwwCustomDBGrid::LinkHasRecords() const {
  return link_.Active() && link_.RecordCount() > 0;
}

void TwwCustomDBGrid::UpdateRowCount() {
  if (rowCount() < TitleOffset() + 1) setRowCount(TitleOffset() + 1);
  setFixedRows(TitleOffset());
  if (LinkHasRecords()) {
    setRowCount(1000);
    // Only rows shown whole are buffered.
    const int visible = std::max(1, visibleRowCount());
    if (visible < link_.BufferCount() && row() > TitleOffset() + visible - 1) {
      update();
      if (OnTopRowChanged) OnTopRowChanged(*this);
    }
    link_.SetBufferCount(visible);
    setRowCount(link_.RecordCount() + TitleOffset());
    SyncCurrentRow();
  } else {
    setRowCount(TitleOffset() + 1);
  }
}

void TwwCustomDBGrid::SyncCurrentRow() {
  if (!link_.Active()) return;
  const int target = link_.ActiveRecord() + TitleOffset();
  if (target != row()) {
    if (!options_.has(TwwDBGridOption::dgAlwaysShowEditor)) hideEditor();
    HideEditControls();
    moveCurrent(col(), target, false);
  }
  if (editor() && editor()->isVisible() && FieldEditText() != editor()->text()) invalidateEditor();
}

void TwwCustomDBGrid::UpdateScrollBar() {
  if (!showVertScrollBar_ || !link_.Active()) {
    setVerticalRange(0, 0);
    scrollPosition_ = -1;
    return;
  }
  data::TDataSet* dataSet = link_.DataSet();
  int position = 0;
  if (dataSet->IsSequenced()) {
    setVerticalRange(0, 200);
    if (dataSet->Bof())
      position = 0;
    else if (dataSet->Eof())
      position = 200;
    else {
      const int64_t count = std::max<int64_t>(2, dataSet->RecordCountTotal());
      position = static_cast<int>((dataSet->RecNo() - 1) * 200 / (count - 1));
    }
  } else {
    setVerticalRange(0, 4);
    position = dataSet->Bof() ? 0 : dataSet->Eof() ? 4 : 2;
  }
  if (position != scrollPosition_) {
    scrollPosition_ = position;
    setVerticalPosition(position);
  }
}

void TwwCustomDBGrid::ApplyBaseOptions() {
  toolkit::GridOptions base;
  base.fixedVertLine = base.vertLine = options_.has(TwwDBGridOption::dgColLines);
  base.fixedHorzLine = base.horzLine = options_.has(TwwDBGridOption::dgRowLines);
  base.colSizing = base.colMoving = options_.has(TwwDBGridOption::dgColumnResize);
  base.tabs = options_.has(TwwDBGridOption::dgTabs);
  base.rowSelect = options_.has(TwwDBGridOption::dgRowSelect);
  base.editing = options_.has(TwwDBGridOption::dgEditing) && !base.rowSelect;
  base.alwaysShowEditor = options_.has(TwwDBGridOption::dgAlwaysShowEditor);
  setOptions(base);
}

void TwwCustomDBGrid::ApplySelectedToFields() {
  if (!useTFields_ || Selected.empty() || !link_.Active()) return;
  data::TDataSet* dataSet = link_.DataSet();
  for (int i = 0; i < dataSet->FieldCount(); ++i)
    if (dataSet->Fields(i)->Calculated()) return;
  dataSet->DisableControls();
  try {
    for (int i = 0; i < dataSet->FieldCount(); ++i) dataSet->Fields(i)->SetVisible(false);
    for (size_t i = 0; i < Selected.size(); ++i) {
      const SelectedEntry entry = ParseEntry(Selected[i]);
      data::TField* field = dataSet->FindField(entry.name);
      if (!field) continue;
      field->SetDisplayWidth(entry.width);
      field->SetDisplayLabel(entry.title);
      field->SetIndex(std::min(static_cast<int>(i), dataSet->FieldCount() - 1));
      field->SetVisible(true);
    }
  } catch (...) {
    dataSet->EnableControls();
    throw;
  }
  dataSet->EnableControls();
}

void TwwCustomDBGrid::colWidthsChanged() {
  toolkit::Canvas& measure = Measure();
  measure.setFont(font_);
  const int zero = std::max(1, measure.textWidth("0"));
  // Every width is read before any is written: writing a field's width lays
  // the grid out again from the fields.
  std::vector<int> chars;
  for (int i = 0; i < colCount() - IndicatorOffset(); ++i)
    chars.push_back((colWidth(i + IndicatorOffset()) + zero / 2 - 3) / zero);
  for (size_t i = 0; i < chars.size(); ++i) {
    if (useTFields_) {
      if (data::TField* field = link_.Field(static_cast<int>(i))) field->SetDisplayWidth(chars[i]);
    } else if (i < Selected.size()) {
      SelectedEntry entry = ParseEntry(Selected[i]);
      Selected[i] = entry.name + "\t" + std::to_string(chars[i]) + "\t" + entry.title;
    }
  }
  LayoutChanged();
}

void TwwCustomDBGrid::columnMoved(int from, int to) {
  const int fromData = from - IndicatorOffset();
  const int toData = to - IndicatorOffset();
  if (useTFields_) {
    data::TField* moved = link_.Field(fromData);
    data::TField* target = link_.Field(toData);
    if (moved && target) moved->SetIndex(target->Index());
  } else if (fromData >= 0 && toData >= 0 && fromData < static_cast<int>(Selected.size()) &&
             toData < static_cast<int>(Selected.size())) {
    std::swap(Selected[static_cast<size_t>(fromData)], Selected[static_cast<size_t>(toData)]);
  }
  LayoutChanged();
  if (OnColumnMoved) OnColumnMoved(*this, fromData, toData);
}

}  // namespace grid
