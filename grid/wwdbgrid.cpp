#include "grid/wwdbgrid.h"
#include "toolkit/inplace_editor.h"

#include <QMessageBox>
#include <QMoveEvent>
#include <QResizeEvent>
#include <algorithm>

#include "data/data_set.h"
#include "data/data_source.h"
#include "data/wwtable.h"
#include "grid/cell_text.h"
#include "grid/inplace_edit.h"
#include "grid/wwmemo.h"
#include "toolkit/font_mapping.h"
#include "toolkit/ui_services.h"

namespace grid {

namespace {

// The line break a stored text uses, so that an edit keeps it; CR LF for a
// text that has none yet.
QString LineBreakOf(const std::string& text) {
  for (const char* lineBreak : {"\r\n", "\n\r", "\n", "\r"})
    if (text.find(lineBreak) != std::string::npos) return QString::fromLatin1(lineBreak);
  return QStringLiteral("\r\n");
}

}  // namespace

TwwIButton::TwwIButton(TwwCustomDBGrid* grid) : QToolButton(grid), grid_(grid) {
  resize(12, 18);
  grid->indicatorButton_ = this;
  grid->LayoutChanged();
}

TwwIButton::~TwwIButton() {
  if (grid_ && grid_->indicatorButton_ == this) grid_->indicatorButton_ = nullptr;
}

// It always sits in the corner.
void TwwIButton::moveEvent(QMoveEvent* event) {
  QToolButton::moveEvent(event);
  if (x() > 0 || y() > 0) move(std::min(x(), 0), std::min(y(), 0));
}

void TwwIButton::resizeEvent(QResizeEvent* event) {
  QToolButton::resizeEvent(event);
  if (grid_) grid_->LayoutChanged();
}

TwwCustomDBGrid::TwwCustomDBGrid(QWidget* parent) : toolkit::CellGrid(parent) {
  titleFont_ = font_;
  KeyOptions = {TwwDBGridKeyOption::dgAllowDelete, TwwDBGridKeyOption::dgAllowInsert};
  setColCount(2);
  setRowCount(2);
  ApplyBaseOptions();
  setShowHorzScrollBar(true);
  QWidget::setFont(toolkit::qtFont(font_));
  LayoutChanged();
}

TwwCustomDBGrid::~TwwCustomDBGrid() {
  link_.SetDataSource(nullptr);
}

void TwwCustomDBGrid::SetDataSource(data::TwwDataSource* source) {
  link_.SetDataSource(source);
  LinkActive();
}

data::TField* TwwCustomDBGrid::SelectedField() const {
  return link_.Field(SelectedIndex());
}

void TwwCustomDBGrid::SetOptions(TwwDBGridOptions options) {
  if (options == options_) return;
  const TwwDBGridOptions old = options_;
  options_ = options;
  ApplyBaseOptions();
  if (old.has(TwwDBGridOption::dgWordWrap) != options.has(TwwDBGridOption::dgWordWrap) && editor())
    hideEditor();
  using O = TwwDBGridOption;
  for (O o : {O::dgEditing, O::dgAlwaysShowEditor, O::dgTitles, O::dgIndicator, O::dgColLines,
              O::dgRowLines, O::dgRowSelect, O::dgPerfectRowFit}) {
    if (old.has(o) != options.has(o)) {
      LayoutChanged();
      break;
    }
  }
  update();
}

void TwwCustomDBGrid::SetUseTFields(bool use) {
  useTFields_ = use;
  LayoutChanged();
}

void TwwCustomDBGrid::SetFont(const toolkit::FontSpec& font) {
  font_ = font;
  QWidget::setFont(toolkit::qtFont(font_));
  if (parentFont_) titleFont_ = font_;
  LayoutChanged();
}

void TwwCustomDBGrid::SetTitleFont(const toolkit::FontSpec& font) {
  titleFont_ = font;
  parentFont_ = false;
  LayoutChanged();
}

void TwwCustomDBGrid::SetTitleColor(toolkit::Color color) {
  titleColor_ = color;
  LayoutChanged();
}

void TwwCustomDBGrid::SetColor(toolkit::Color color) {
  color_ = color;
  update();
}

void TwwCustomDBGrid::SetTitleAlignment(data::TAlignment alignment) {
  titleAlignment_ = alignment;
  LayoutChanged();
}

void TwwCustomDBGrid::SetTitleLines(int lines) {
  if (lines <= 0) return;
  titleLines_ = lines;
  LayoutChanged();
}

void TwwCustomDBGrid::SetTitleButtons(bool on) {
  titleButtons_ = on;
  update();
}

void TwwCustomDBGrid::SetRowHeightPercent(int percent) {
  if (percent <= 0) {
    rowHeightPercent_ = 100;
    return;
  }
  rowHeightPercent_ = percent;
  LayoutChanged();
}

void TwwCustomDBGrid::SetIndicatorColor(TIndicatorColor color) {
  indicatorColor_ = color;
  LayoutChanged();
}

void TwwCustomDBGrid::SetFixedCols(int count) {
  fixedCols_ = count;
  LayoutChanged();
}

void TwwCustomDBGrid::SetShowVertScrollBar(bool show) {
  showVertScrollBar_ = show;
  UpdateScrollBar();
}

// ---- Link notifications

void TwwCustomDBGrid::LinkActive() {
  if (link_.Active() && !data::IsWwDataSet(link_.DataSet())) {
    toolkit::ui().showMessage(
        "wwGrid must use descendent of TwwTable, TwwQuery, TwwQBE, TwwStoredProc, "
        "TwwClientDataSet.",
        "", toolkit::MessageKind::kInformation, toolkit::MessageButtons::kOk);
    link_.SetDataSource(nullptr);
  }
  ApplySelectedToFields();
  DataSetActiveChanged();
  hideEditor();
  LayoutChanged();
  UpdateScrollBar();
}

void TwwCustomDBGrid::DataChanged() {
  UpdateRowCount();
  SyncCurrentRow();
  UpdateScrollBar();
  invalidateEditor();
  update();
}

void TwwCustomDBGrid::EditingChanged() {
  if (IndicatorOffset() && link_.Active()) invalidateCell(0, link_.ActiveRecord() + TitleOffset());
}

void TwwCustomDBGrid::RecordChanged(data::TField* field) {
  if (!link_.Active()) return;
  if (!field) {
    invalidateRow(row());
  } else {
    for (int c = 0; c < link_.MappedCount(); ++c)
      if (link_.Field(c) == field) invalidateCell(c + IndicatorOffset(), row());
  }
  data::TField* current = SelectedField();
  if (current && (!field || field == current) && editor() && editor()->isVisible() &&
      FieldEditText() != editor()->text())
    invalidateEditor();
}

void TwwCustomDBGrid::UpdateData() {
  data::TField* field = SelectedField();
  if (!field) return;
  std::string text;
  QString error;
  // The editor breaks lines with "\n"; the field keeps the breaks it had.
  QString edited = editText_;
  edited.replace(QLatin1Char('\n'), LineBreakOf(field->Text()));
  if (!tableText(link_.DataSet(), edited, &text, &error))
    throw std::runtime_error(error.toStdString());
  field->SetText(text);
}

void TwwCustomDBGrid::UpdateEditText() {
  if (link_.Active()) link_.UpdateData();
}

// ---- Editing

bool TwwCustomDBGrid::IsMemoCell(int dataColumn) const {
  data::TField* field = link_.Field(dataColumn);
  return field && field->IsBlob();
}

bool TwwCustomDBGrid::IsSpecialCell(int dataColumn) const {
  data::TField* field = link_.Field(dataColumn);
  if (!field) return false;
  auto* table = dynamic_cast<data::TwwTable*>(link_.DataSet());
  if (!table) return false;
  for (const std::string& line : table->ControlType) {
    const size_t semi = line.find(';');
    if (semi == std::string::npos || line.substr(0, semi) != field->FieldName()) continue;
    const std::string kind = line.substr(semi + 1, line.find(';', semi + 1) - semi - 1);
    if (kind == "CheckBox" || kind == "Bitmap" || kind == "RichEdit" || kind == "CustomEdit")
      return true;
  }
  return false;
}

bool TwwCustomDBGrid::Editable() const {
  return options_.has(TwwDBGridOption::dgEditing) && !readOnly_;
}

bool TwwCustomDBGrid::canEditShow() const {
  if (!link_.Active() || link_.MappedCount() == 0) return false;
  if (IsMemoCell(SelectedIndex()) || IsSpecialCell(SelectedIndex())) return false;
  if (options_.has(TwwDBGridOption::dgAlwaysShowEditor) && !hasFocus() &&
      !(editor() && editor()->hasFocus()))
    return false;
  return toolkit::CellGrid::canEditShow();
}

bool TwwCustomDBGrid::canEditModify() {
  if (readOnly_ || !link_.Active() || link_.ReadOnly() || link_.MappedCount() == 0) return false;
  data::TField* field = SelectedField();
  if (!field) return false;
  if (!field->CanModify() && !(EditCalculated && field->Calculated() && !field->ReadOnly()))
    return false;
  link_.Edit();
  if (link_.Editing()) link_.Modified_();
  return link_.Editing();
}

bool TwwCustomDBGrid::CanAcceptKey(QChar key) const {
  if (!link_.Active() || link_.MappedCount() == 0) return false;
  data::TField* field = SelectedField();
  if (!field || field->IsBlob()) return false;
  const bool sign = key == '+' || key == '-';
  switch (field->DataType()) {
    case data::TFieldType::ftSmallint:
    case data::TFieldType::ftInteger:
    case data::TFieldType::ftWord:
    case data::TFieldType::ftAutoInc:
      return key.isDigit() || sign;
    case data::TFieldType::ftFloat:
    case data::TFieldType::ftCurrency:
    case data::TFieldType::ftBCD:
      // Separators and currency signs follow the locale: only letters other
      // than an exponent are certainly wrong.
      return !key.isLetter() || key == 'e' || key == 'E';
    default:
      return true;
  }
}

QString TwwCustomDBGrid::FieldEditText() const {
  data::TField* field = SelectedField();
  if (!field) return {};
  QString text = editorText(link_.DataSet(), field->Text());
  text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  text.replace(QLatin1String("\n\r"), QLatin1String("\n"));
  text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return text;
}

QString TwwCustomDBGrid::getEditText(int, int) {
  editText_ = FieldEditText();
  return editText_;
}

void TwwCustomDBGrid::setEditText(int, int, const QString& text) {
  editText_ = text;
}

int TwwCustomDBGrid::getEditLimit() {
  data::TField* field = SelectedField();
  return field && field->DataType() == data::TFieldType::ftString ? field->Size() : 0;
}

toolkit::InplaceEditor* TwwCustomDBGrid::createEditor() {
  return new TwwInplaceEdit(this);
}

void TwwCustomDBGrid::DoCheckValue(QObject* sender, bool passes) {
  if (OnCheckValue) OnCheckValue(sender, passes);
}

void TwwCustomDBGrid::resizeEvent(QResizeEvent* event) {
  toolkit::CellGrid::resizeEvent(event);
  UpdateRowCount();
  UpdateScrollBar();
}

void TwwCustomDBGrid::showEvent(QShowEvent* event) {
  toolkit::CellGrid::showEvent(event);
  LayoutChanged();
}

// ---- TwwDBGrid

TwwDBGrid::TwwDBGrid(QWidget* parent) : TwwCustomDBGrid(parent) {}

void TwwDBGrid::AfterKeyDown(QKeyEvent& event) {
  if (event.isAccepted() || !DataLink().Active()) return;
  if (event.key() == Qt::Key_F2 && IsMemoCell(SelectedIndex())) {
    event.accept();
    OpenMemoDialog();
  }
}

void TwwDBGrid::OpenMemoDialog() {
  if (MemoAttributes.count(TMemoAttribute::mDisableDialog)) return;
  data::TField* field = SelectedField();
  if (!field) return;
  TwwMemoDialog dialog;
  dialog.DataSource = DataSource();
  dialog.DataField = field->FieldName();
  dialog.MemoAttributes = MemoAttributes;
  if (!Editable() || field->ReadOnly()) dialog.MemoAttributes.insert(TMemoAttribute::mViewOnly);
  std::string caption = field->DisplayName();
  std::replace(caption.begin(), caption.end(), '~', ' ');
  dialog.Caption = screenText(DataLink().DataSet(), caption);
  dialog.Font = Font();
  dialog.DlgLeft = -1;
  if (OnMemoOpen) OnMemoOpen(*this, dialog);
  const bool confirmed = dialog.Execute();
  if (OnMemoClose) OnMemoClose(*this, !confirmed);
  invalidateCell(col(), row());
  hideEditor();
}

}  // namespace grid
