#include "grid/wwdbgrid.h"
#include "toolkit/inplace_editor.h"

#include <QMessageBox>
#include <QMoveEvent>
#include <QResizeEvent>
#include <algorithm>

#include "data/data_set.h"
#include "data/data_set_error.h"
#include "data/data_source.h"
#include "data/wwtable.h"
#include "edit/wwdbedit_texts.h"
#include "grid/cell_text.h"
#include "grid/control_type.h"
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

// A Qt font as a stored font; the colour is not part of a QFont and stays.
toolkit::FontSpec FontSpecOf(const QFont& font, const toolkit::FontSpec& before) {
  toolkit::FontSpec stored = before;
  stored.name = font.family().toStdString();
  const int pixels =
      font.pixelSize() > 0 ? font.pixelSize() : static_cast<int>(font.pointSizeF() * 96 / 72 + 0.5);
  stored.height = -pixels;
  stored.bold = font.bold();
  stored.italic = font.italic();
  stored.underline = font.underline();
  stored.strikeOut = font.strikeOut();
  return stored;
}

}  // namespace

TwwIButton::TwwIButton(QWidget* parent) : QToolButton(parent) {
  resize(12, 18);
}

void TwwIButton::Loaded() {
  auto* grid = qobject_cast<TwwCustomDBGrid*>(parentWidget());
  if (!grid) return;
  grid_ = grid;
  grid->indicatorButton_ = this;
  move(std::min(x(), 0), std::min(y(), 0));
  // A child made after its grid was shown stays hidden until told.
  show();
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
  WatchParent();
  LayoutChanged();
}

TwwCustomDBGrid::~TwwCustomDBGrid() {
  // Qt deletes the corner button with the other children only after this
  // part of the grid is gone: it must not reach back into it then.
  if (indicatorButton_) indicatorButton_->grid_ = nullptr;
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
  // A font of its own: the grid stops following its parent's.
  parentFont_ = false;
  font_ = font;
  QWidget::setFont(toolkit::qtFont(font_));
  LayoutChanged();
}

void TwwCustomDBGrid::SetParentFont(bool on) {
  parentFont_ = on;
  if (on && parentWidget()) FollowParentFont();
}

void TwwCustomDBGrid::FollowParentFont() {
  font_ = FontSpecOf(parentWidget()->font(), font_);
  titleFont_ = font_;
  QWidget::setFont(toolkit::qtFont(font_));
  LayoutChanged();
}

bool TwwCustomDBGrid::eventFilter(QObject* watched, QEvent* event) {
  if (watched == parentWidget() && event->type() == QEvent::FontChange && parentFont_)
    FollowParentFont();
  return toolkit::CellGrid::eventFilter(watched, event);
}

void TwwCustomDBGrid::changeEvent(QEvent* event) {
  toolkit::CellGrid::changeEvent(event);
  if (event->type() == QEvent::ParentChange) WatchParent();
}

void TwwCustomDBGrid::WatchParent() {
  if (watchedParent_) watchedParent_->removeEventFilter(this);
  watchedParent_ = parentWidget();
  if (watchedParent_) watchedParent_->installEventFilter(this);
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
  // Columns are known only while the data set is open; before that only a
  // negative count is plainly wrong.
  const bool tooMany = link_.Active() && IndicatorOffset() + count >= colCount();
  if (count < 0 || tooMany) {
    toolkit::ui().showMessage("Invalid value for FixedCols", "", toolkit::MessageKind::kWarning,
                              toolkit::MessageButtons::kOk);
    return;
  }
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
  if (std::optional<edit::EditMask> mask = CellEditMask()) {
    // As in the edit box: an incomplete value is refused (or handed to
    // OnInvalidValue), and the field stores the typed characters.
    auto* table = dynamic_cast<data::TwwTable*>(link_.DataSet());
    if ((!table || table->ValidateWithMask) && !mask->Complete(text)) {
      if (table && table->OnInvalidValue) {
        table->OnInvalidValue(*table, *field);
      } else {
        toolkit::ui().beep();
        throw data::EDatabaseError(edit::texts::kInvalidInputValue);
      }
    }
    text = mask->Value(text);
  }
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
  const std::string kind = ControlTypeKind(link_.DataSet(), *field);
  // A custom edit named but not found leaves the cell to the grid's editor.
  return kind == "CheckBox" || kind == "Bitmap" || kind == "RichEdit" ||
         (kind == "CustomEdit" && HasEditControl(*field));
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
  std::string value = field->Text();
  if (std::optional<edit::EditMask> mask = CellEditMask()) value = *mask->Format(value);
  QString text = editorText(link_.DataSet(), value);
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
