// The data grid: the rows of a data set as grid rows and its visible fields
// as columns, with a title row and an indicator column that marks the active
// record. TwwCustomDBGrid lays the grid out from the fonts and the fields,
// paints every cell through the toolkit canvas, follows the data set's moves
// by scrolling pixels, and edits cells in place; TwwDBGrid adds the memo
// dialog and the published property set.
//
// The grid buffers exactly the rows it shows whole: it asks the data set for
// that many record buffers and paints a row by pointing its link at that
// buffer, so nothing it does costs more than the rows on screen.
#pragma once

#include <QComboBox>
#include <QPointer>
#include <QToolButton>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "data/data_link.h"
#include "data/field.h"
#include "data/field_value.h"
#include "edit/edit_mask.h"
#include "toolkit/canvas.h"
#include "toolkit/cell_grid.h"
#include "toolkit/font_spec.h"

namespace data {
class TDataSet;
class TwwDataSource;
}  // namespace data

namespace edit {
class TwwDBCustomEdit;
}  // namespace edit

namespace grid {

class TwwCustomDBGrid;
class TwwDBGrid;
class TwwInplaceEdit;
class TwwMemoDialog;

// In bit order; the default set is 0x1CFD.
enum class TwwDBGridOption {
  dgEditing,
  dgAlwaysShowEditor,
  dgTitles,
  dgIndicator,
  dgColumnResize,
  dgColLines,
  dgRowLines,
  dgTabs,
  dgRowSelect,
  dgAlwaysShowSelection,
  dgConfirmDelete,
  dgCancelOnExit,
  dgWordWrap,
  dgPerfectRowFit,
  dgMultiSelect,
};

class TwwDBGridOptions {
 public:
  constexpr TwwDBGridOptions() = default;
  constexpr explicit TwwDBGridOptions(std::uint16_t bits) : bits_(bits) {}
  constexpr bool has(TwwDBGridOption option) const { return (bits_ & bit(option)) != 0; }
  constexpr TwwDBGridOptions with(TwwDBGridOption option, bool on = true) const {
    return TwwDBGridOptions(
        static_cast<std::uint16_t>(on ? bits_ | bit(option) : bits_ & ~bit(option)));
  }
  constexpr std::uint16_t bits() const { return bits_; }
  friend constexpr bool operator==(TwwDBGridOptions, TwwDBGridOptions) = default;

 private:
  static constexpr std::uint16_t bit(TwwDBGridOption option) {
    return static_cast<std::uint16_t>(1u << static_cast<int>(option));
  }
  std::uint16_t bits_ = 0x1CFD;
};

enum class TMemoAttribute { mSizeable, mWordWrap, mGridShow, mViewOnly, mDisableDialog };
using TMemoAttributes = std::set<TMemoAttribute>;
enum class TwwDBGridKeyOption { dgEnterToTab, dgAllowDelete, dgAllowInsert };
using TwwDBGridKeyOptions = std::set<TwwDBGridKeyOption>;
enum class TwwEditControlOption { ecoCheckboxSingleClick, ecoSearchOwnerForm };
using TwwEditControlOptions = std::set<TwwEditControlOption>;
enum class TwwMultiSelectOption { msoAutoUnselect, msoShiftSelect };
using TwwMultiSelectOptions = std::set<TwwMultiSelectOption>;
enum class TIndicatorColor { icBlack, icYellow };

// The grid's link to its data source: the field behind each data column, and
// whether the editor's text differs from its field.
class TwwGridDataLink : public data::TDataLink {
 public:
  explicit TwwGridDataLink(TwwCustomDBGrid* grid) : grid_(grid) {}

  // The data set's field index of each data column.
  const std::vector<int>& FieldMap() const { return fieldMap_; }
  int MappedCount() const { return static_cast<int>(fieldMap_.size()); }
  // The field behind a data column, or null.
  data::TField* Field(int column) const;
  void ClearMapping() { fieldMap_.clear(); }
  // Grows the map from 8 entries, doubling; past its limit a grid error.
  void AddMapping(int fieldIndex);

  bool Modified() const { return modified_; }
  void Modified_() { modified_ = true; }
  void ClearModified() { modified_ = false; }
  void Reset();
  bool Updating() const { return updating_; }

 protected:
  void ActiveChanged() override;
  void DataSetChanged() override;
  void DataSetScrolled(int distance) override;
  void LayoutChanged() override;
  void EditingChanged() override;
  void RecordChanged(data::TField* field) override;
  void UpdateData() override;
  void FocusControl(data::TField* field) override;

 private:
  friend class TwwCustomDBGrid;
  TwwCustomDBGrid* grid_;
  std::vector<int> fieldMap_;
  int mapCapacity_ = 0;
  bool modified_ = false;
  bool updating_ = false;
};

// The corner button over the title of the indicator column. A form stores
// it as a child of its grid; once its stored settings are read (Loaded) it
// becomes the grid's indicator button, and it stays in the corner.
class TwwIButton : public QToolButton {
  Q_OBJECT
 public:
  explicit TwwIButton(QWidget* parent = nullptr);
  ~TwwIButton() override;
  // Registers with the grid it sits on; a button on anything else stays a
  // plain button.
  void Loaded();

 protected:
  void moveEvent(QMoveEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  friend class TwwCustomDBGrid;
  QPointer<TwwCustomDBGrid> grid_;
};

class TwwCustomDBGrid : public toolkit::CellGrid {
  Q_OBJECT
 public:
  explicit TwwCustomDBGrid(QWidget* parent = nullptr);
  ~TwwCustomDBGrid() override;

  // ---- Data
  data::TwwDataSource* DataSource() const { return link_.DataSource(); }
  void SetDataSource(data::TwwDataSource* source);
  TwwGridDataLink& DataLink() { return link_; }
  data::TField* SelectedField() const;
  int SelectedIndex() const { return col() - IndicatorOffset(); }

  // ---- Properties
  TwwDBGridOptions Options() const { return options_; }
  void SetOptions(TwwDBGridOptions options);
  TwwDBGridKeyOptions KeyOptions;
  TwwMultiSelectOptions MultiSelectOptions;
  TwwEditControlOptions EditControlOptions{TwwEditControlOption::ecoSearchOwnerForm};
  std::vector<std::string> Selected;
  bool UseTFields() const { return useTFields_; }
  void SetUseTFields(bool use);
  const toolkit::FontSpec& Font() const { return font_; }
  void SetFont(const toolkit::FontSpec& font);
  const toolkit::FontSpec& TitleFont() const { return titleFont_; }
  void SetTitleFont(const toolkit::FontSpec& font);
  // While set, the grid's font (and with it the title font) follows its
  // parent's font; setting either font by hand clears it.
  bool ParentFont() const { return parentFont_; }
  void SetParentFont(bool on);
  toolkit::Color TitleColor() const { return titleColor_; }
  void SetTitleColor(toolkit::Color color);
  toolkit::Color Color() const { return color_; }
  void SetColor(toolkit::Color color);
  data::TAlignment TitleAlignment() const { return titleAlignment_; }
  void SetTitleAlignment(data::TAlignment alignment);
  int TitleLines() const { return titleLines_; }
  void SetTitleLines(int lines);
  bool TitleButtons() const { return titleButtons_; }
  void SetTitleButtons(bool on);
  int RowHeightPercent() const { return rowHeightPercent_; }
  void SetRowHeightPercent(int percent);
  TIndicatorColor IndicatorColor() const { return indicatorColor_; }
  void SetIndicatorColor(TIndicatorColor color);
  int FixedCols() const { return fixedCols_; }
  void SetFixedCols(int count);
  bool ShowVertScrollBar() const { return showVertScrollBar_; }
  void SetShowVertScrollBar(bool show);
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool readOnly) { readOnly_ = readOnly; }
  bool DefaultDrawing = true;
  bool EditCalculated = false;
  bool Ctl3D = true;
  TwwIButton* IndicatorButton() const { return indicatorButton_; }
  TMemoAttributes MemoAttributes{TMemoAttribute::mSizeable, TMemoAttribute::mWordWrap};

  // ---- Events
  std::function<void(TwwCustomDBGrid&, data::TField*, toolkit::GridDrawState, bool highlight,
                     toolkit::FontSpec& font, toolkit::Brush& brush)>
      OnCalcCellColors;
  std::function<void(TwwCustomDBGrid&, const std::string& fieldName, toolkit::FontSpec& font,
                     toolkit::Brush& brush, data::TAlignment& alignment)>
      OnCalcTitleAttributes;
  std::function<void(TwwCustomDBGrid&, toolkit::Canvas&, const toolkit::Rect&, data::TField*,
                     toolkit::GridDrawState)>
      OnDrawDataCell;
  std::function<void(TwwCustomDBGrid&, const std::string& fieldName)> OnTitleButtonClick;
  std::function<void(TwwCustomDBGrid&)> OnColEnter, OnColExit, OnTopRowChanged, OnDblClick;
  std::function<void(QObject* sender, bool passesPictureTest)> OnCheckValue;
  std::function<void(TwwCustomDBGrid&, int fromIndex, int toIndex)> OnColumnMoved;
  std::function<void(TwwCustomDBGrid&, QKeyEvent&)> OnKeyDown;
  std::function<void(TwwCustomDBGrid&)> OnMouseDown;

  // ---- Geometry in the data's terms
  int TitleOffset() const { return options_.has(TwwDBGridOption::dgTitles) ? 1 : 0; }
  int IndicatorOffset() const { return options_.has(TwwDBGridOption::dgIndicator) ? 1 : 0; }
  // The painting row and column, for event handlers.
  int PaintRow() const { return paintRow_; }
  int PaintCol() const { return paintCol_; }

  // ---- Operations
  void LayoutChanged();
  // Measures text for the layout; tests give a recording canvas.
  void SetMeasureCanvas(std::unique_ptr<toolkit::Canvas> canvas);
  // The text a data cell shows (UTF-8) for the row in the link's active record.
  std::string CellText(data::TField* field);
  void MoveToNextRecord(bool mayAppend = true);
  void MoveToPriorRecord();
  // Picks a data column by the column-selection rules; false when it stayed.
  bool SelectDataColumn(int column);
  void KeyDown(QKeyEvent& event);
  const QString& CurrentEditText() const { return editText_; }
  void SetCurrentEditText(const QString& text) { editText_ = text; }
  // Writes the editor's text into the field when it changed.
  void UpdateEditText();
  bool IsMemoCell(int dataColumn) const;
  bool IsSpecialCell(int dataColumn) const;
  bool Editable() const;
  bool CanEditModifyNow() { return canEditModify(); }
  // Whether the current field can take this character at all (digits for
  // whole numbers, number characters for the others with decimals).
  bool CanAcceptKey(QChar key) const;
  void DoCheckValue(QObject* sender, bool passes);
  // The focus left the grid and its editor: drop an untouched new record or
  // write the edit text back.
  void LeavingGrid();
  // The current field's edit text as the editor would show it.
  QString FieldEditText() const;
  // The current field's edit mask while it governs the cell's editor: set,
  // well formed, no picture used in the grid, and fitting the stored value
  // (a value it cannot show is edited as it stands, so nothing is lost).
  std::optional<edit::EditMask> CellEditMask() const;
  // Warns once per mask text that the current field's edit mask is unusable.
  void WarnOfMalformedEditMask();
  // The highlight rule for a selected cell.
  bool HighlightCell(const toolkit::GridDrawState& state) const;
  void PaintCell(toolkit::Canvas& canvas, int col, int row, const toolkit::Rect& rect,
                 toolkit::GridDrawState state) {
    drawCell(canvas, col, row, rect, state);
  }
  // The grid as the user sees it on a canvas (for tests and benchmarks).
  void PaintAll(toolkit::Canvas& canvas) { paintCells(canvas, clientRect()); }

 protected:
  // ---- The cell grid's hooks
  void drawCell(toolkit::Canvas& canvas, int col, int row, const toolkit::Rect& rect,
                toolkit::GridDrawState state) override;
  bool selectCell(int col, int row) override;
  bool canEditShow() const override;
  bool canEditModify() override;
  QString getEditText(int col, int row) override;
  void setEditText(int col, int row, const QString& text) override;
  int getEditLimit() override;
  toolkit::InplaceEditor* createEditor() override;
  bool editorMultiLine() const override { return options_.has(TwwDBGridOption::dgWordWrap); }
  void colWidthsChanged() override;
  void columnMoved(int from, int to) override;
  void verticalScroll(toolkit::ScrollAction action, int position) override;

  bool eventFilter(QObject* watched, QEvent* event) override;
  void changeEvent(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void showEvent(QShowEvent* event) override;

  // What TwwDBGrid adds: the memo dialog on a blob cell.
  virtual void OpenMemoDialog() {}
  // Multi-select, which TwwDBGrid adds: whether the record in the link's
  // active record is marked; a click that made its record current (from
  // the one current before it); a key, true when it was taken.
  virtual bool RecordMarked() { return false; }
  virtual void MultiSelectClick(Qt::KeyboardModifiers /*modifiers*/,
                                const data::Bookmark& /*from*/) {}
  virtual bool MultiSelectKey(QKeyEvent& /*event*/) { return false; }
  // The data set was opened, closed or changed for another.
  virtual void DataSetActiveChanged() {}
  // The current record is about to be deleted through the grid.
  virtual void BeforeDeleteRecord() {}
  // Alt+Down: drops the list of the current cell's combo box; false when
  // the cell has none.
  virtual bool DropComboList() { return false; }
  // Whether a control over a cell has the focus for the grid (not leaving).
  virtual bool EditingInControl() const { return false; }
  // Shows the current cell's own edit control over it (a custom edit);
  // false when the cell has none.
  virtual bool ShowEditControl() { return false; }
  // Hides any edit control over the grid (the cell changes).
  virtual void HideEditControls() {}
  // Whether the field has an edit control of its own to be edited with.
  virtual bool HasEditControl(const data::TField& /*field*/) const { return false; }
  // Keys after the grid's own handling (memo cells, F2).
  virtual void AfterKeyDown(QKeyEvent& /*event*/) {}

 private:
  friend class TwwGridDataLink;
  friend class TwwIButton;
  friend class TwwInplaceEdit;

  // Link notifications.
  void LinkActive();
  void DataChanged();
  void Scroll(int distance);
  void EditingChanged();
  void RecordChanged(data::TField* field);
  void UpdateData();

  void FollowParentFont();
  void WatchParent();

  // Layout pieces.
  void UpdateRowCount();
  void SetColumnWidths();
  void SyncCurrentRow();
  void UpdateScrollBar();
  void ApplyBaseOptions();
  void ApplySelectedToFields();
  toolkit::Canvas& Measure();
  int DataRowStep() const;

  // Painting pieces.
  void DrawTitleCell(toolkit::Canvas& canvas, int column, const toolkit::Rect& rect,
                     toolkit::GridDrawState state);
  void DrawIndicator(toolkit::Canvas& canvas, const toolkit::Rect& rect);
  // Answers whether the cell was drawn highlighted.
  bool DrawDataCell(toolkit::Canvas& canvas, int column, int bufferRow, const toolkit::Rect& rect,
                    toolkit::GridDrawState state);
  void DrawCellText(toolkit::Canvas& canvas, const toolkit::Rect& rect, const std::string& text,
                    data::TAlignment alignment, int topOffset);
  void DrawWrappedText(toolkit::Canvas& canvas, const toolkit::Rect& rect, const std::string& text,
                       data::TAlignment alignment);
  void DrawEdges(toolkit::Canvas& canvas, int col, int row, const toolkit::Rect& rect,
                 toolkit::GridDrawState state, bool highlighted, bool focusDrawn);

  // Moving pieces.
  void TabTo(bool forward);
  void MoveBy(int distance);
  void Reset();
  void DeleteWithConfirmation();
  // Space on a check-box cell; false when the cell is none.
  bool ToggleCheckBox();
  bool LinkHasRecords() const;

  TwwGridDataLink link_{this};
  TwwDBGridOptions options_;
  bool useTFields_ = true;
  toolkit::FontSpec font_;
  toolkit::FontSpec titleFont_;
  bool parentFont_ = true;
  QPointer<QWidget> watchedParent_;
  toolkit::Color titleColor_ = toolkit::clBtnFace;
  toolkit::Color color_ = toolkit::clWindow;
  data::TAlignment titleAlignment_ = data::TAlignment::taLeftJustify;
  int titleLines_ = 1;
  bool titleButtons_ = false;
  int rowHeightPercent_ = 100;
  TIndicatorColor indicatorColor_ = TIndicatorColor::icBlack;
  int fixedCols_ = 0;
  bool showVertScrollBar_ = true;
  bool readOnly_ = false;
  TwwIButton* indicatorButton_ = nullptr;

  std::unique_ptr<toolkit::Canvas> measureCanvas_;
  bool layoutRunning_ = false;
  QString editText_;
  std::string warnedEditMask_;
  int pressedTitleCol_ = -1;
  bool clickRowChange_ = false;
  bool inColExit_ = false;
  int paintRow_ = -1;
  int paintCol_ = -1;
  int indicatorRow_ = -1;
  bool whiteBackground_ = false;
  int scrollPosition_ = -1;
};

class TwwDBGrid : public TwwCustomDBGrid {
  Q_OBJECT
 public:
  explicit TwwDBGrid(QWidget* parent = nullptr);

  std::function<void(TwwDBGrid&, TwwMemoDialog&)> OnMemoOpen;
  std::function<void(TwwDBGrid&, bool cancel)> OnMemoClose;
  std::function<void(TwwDBGrid&, bool selecting, bool& accept)> OnMultiSelectRecord;

  // ---- Multi-select (dgMultiSelect): records are marked by Ctrl+click or
  // Ctrl+Space, and with msoShiftSelect by Shift+click (the records from the
  // one current before) or Shift+Up and Shift+Down; with msoAutoUnselect a
  // plain click clears the marks. Marked records are drawn highlighted.
  // The bookmarks of the marked records, in the order they were marked.
  const std::vector<data::Bookmark>& SelectedList() const { return selectedList_; }
  // Whether the current record is marked.
  bool IsSelectedRecord();
  // Mark or unmark the current record, asking OnMultiSelectRecord first.
  void SelectRecord();
  void UnselectRecord();
  void UnselectAll();

 protected:
  void OpenMemoDialog() override;
  void AfterKeyDown(QKeyEvent& event) override;
  bool RecordMarked() override;
  void MultiSelectClick(Qt::KeyboardModifiers modifiers, const data::Bookmark& from) override;
  bool MultiSelectKey(QKeyEvent& event) override;
  void DataSetActiveChanged() override { UnselectAll(); }
  void BeforeDeleteRecord() override;
  bool DropComboList() override;
  bool EditingInControl() const override { return droppedCombo_ || shownControl_; }
  bool ShowEditControl() override;
  bool HasEditControl(const data::TField& field) const override {
    return CustomEditFor(field) != nullptr;
  }
  void HideEditControls() override;

 private:
  // False when OnMultiSelectRecord refused, or nothing changed.
  bool Mark(const data::Bookmark& bookmark, bool selecting, bool ask = true);
  void SelectRange(const data::Bookmark& from);

  // A bookmark's bytes may differ for the same record (the engine keeps
  // what it knew when it made it): records are told apart by the data set.
  struct BookmarkOrder {
    TwwDBGrid* grid;
    bool operator()(const data::Bookmark& a, const data::Bookmark& b) const;
  };
  bool SameRecord(const data::Bookmark& a, const data::Bookmark& b);

  // Combo cells ("FIELD;Combo;name" in the ControlType list): a combo box
  // of that name on the form (ecoSearchOwnerForm) or beside the grid is put
  // over the cell with its list dropped; the item chosen goes into the field.
  QComboBox* ComboFor(const data::TField& field) const;
  void ComboChosen(int index);
  void ComboClosed();
  bool eventFilter(QObject* watched, QEvent* event) override;

  // Custom edit cells ("FIELD;CustomEdit;name"): a data-aware edit box of
  // that name, bound to the grid's data source and that field, is put over
  // the cell to edit it; keys that move between cells still move the grid.
  edit::TwwDBCustomEdit* CustomEditFor(const data::TField& field) const;
  QWidget* OwnerForm() const;

  QPointer<QComboBox> droppedCombo_;
  QPointer<QWidget> shownControl_;  // the custom edit control shown
  bool controlWasVisible_ = false;
  bool comboWasVisible_ = false;

  std::vector<data::Bookmark> selectedList_;
  std::set<data::Bookmark, BookmarkOrder> selectedSet_{BookmarkOrder{this}};
};

}  // namespace grid
