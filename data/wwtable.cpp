#include "wwtable.h"

#include <algorithm>
#include <cctype>

#include "data_set_error.h"
#include "intl/international_strings.h"
#include "picture_validator.h"
#include "toolkit/ui_services.h"

namespace data {

namespace {

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

std::vector<std::string> SplitTabs(const std::string& line) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (;;) {
    size_t tab = line.find('\t', start);
    parts.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
    if (tab == std::string::npos) return parts;
    start = tab + 1;
  }
}

bool HasText(const std::vector<std::string>& lines) {
  return std::any_of(lines.begin(), lines.end(), [](const auto& line) { return !line.empty(); });
}

// The rows the escape check and the hourglass count: the counter wraps before
// it can overflow the 16-bit range the limit was chosen for.
constexpr int kFilterCounterLimit = 31999;
constexpr int kEscapeCheckInterval = 100;

}  // namespace

TwwTable::TwwTable() = default;

TwwTable::~TwwTable() {
  destroying_ = true;
  try {
    Close();
  } catch (...) {
    // A failing close must not escape a destructor; the cursor goes anyway.
  }
}

PropertyValue TwwTable::ReadProperty(const std::string& name) const {
  if (name == "PictureMasks") return PictureMasks;
  if (name == "ControlType") return ControlType;
  if (name == "LookupFields") return LookupFields;
  if (name == "LookupLinks") return LookupLinks;
  if (name == "ValidateWithMask") return ValidateWithMask;
  if (name == "OnInvalidValue") {
    if (!OnInvalidValue) return {};
    auto handler = OnInvalidValue;
    TwwTable* self = const_cast<TwwTable*>(this);
    return InvalidValueEvent([handler, self](TDataSet&, TField& field) { handler(*self, field); });
  }
  return TDataSet::ReadProperty(name);
}

// ---------------------------------------------------------------- table and query

void TwwTable::SetTableName(const std::string& name) {
  TDataSet::SetTableName(name);
  if (!name.empty()) query_.clear();
}

void TwwTable::SetQuery(const std::vector<std::string>& lines) {
  bool hasQuery = HasText(lines);
  if (hasQuery) {
    Close();
    TDataSet::SetTableName("");
  }
  query_ = lines;
}

void TwwTable::CheckCanOpen() {
  // Running a query is not part of this data set; say so instead of opening
  // whatever table name happens to remain.
  if (HasText(query_)) throw EDatabaseError(messages::kQueryNotSupported);
}

bool TwwTable::IsParadox() const {
  if (TableType == TTableType::ttParadox) return true;
  if (TableType != TTableType::ttDefault) return false;
  std::string name = Lower(TableName());
  return name.find(".db") != std::string::npos && !name.empty() && name.back() == 'b';
}

// ---------------------------------------------------------------- opening and filters

void TwwTable::AfterCursorOpened() {
  // The pictures belong to the table as it is now; another program may have
  // changed its checks since the last open.
  checkPicturesRead_ = false;
  checkPictures_.clear();
  filterRowCounter_ = 0;
  if (!FilterText().empty() || OnFilter) InstallFilter(true);
}

void TwwTable::BeforeCursorClosed() {
  expression_.reset();
  if (HasText(query_)) TDataSet::SetTableName("");
}

std::string TwwTable::FilterText() const {
  std::string text;
  for (const std::string& line : wwFilter_) {
    if (line.empty()) continue;
    text += text.empty() ? line : " AND (" + line + ")";
  }
  return text;
}

bool TwwTable::InstallFilter(bool showFailure) {
  expression_.reset();
  std::string text = FilterText();
  if (text.empty()) return true;
  try {
    expression_ = FilterExpression::Compile(
        text, Cursor()->Fields(),
        [this](const FieldDef& def, const std::string& value) {
          for (int i = 0; i < FieldCount(); ++i)
            if (Fields(i)->FieldNo() == def.number) return Fields(i)->ValueOfText(value);
          return FieldValue{value};
        },
        &textCodec());
    return true;
  } catch (const std::exception&) {
    if (showFailure)
      toolkit::ui().showMessage(messages::kFailToSetFilter, "", toolkit::MessageKind::kWarning,
                                toolkit::MessageButtons::kOk);
    return false;
  }
}

void TwwTable::SetwwFilter(const std::vector<std::string>& lines) {
  wwFilter_ = lines;
  if (!Active()) return;
  CheckBrowseMode();
  InstallFilter(true);
  Refill();
}

bool TwwTable::IsSequenced() const {
  return !FilterInstalled();
}

void TwwTable::SetOnFilterOptions(const TwwOnFilterOptions& options) {
  bool switchedOff = filterOptions_.ofoEnabled && !options.ofoEnabled;
  filterOptions_ = options;
  if (switchedOff && Active() && OnFilter) {
    CheckBrowseMode();
    Refill();
  }
}

bool TwwTable::AcceptRow(const Row& row) {
  if (expression_ && !expression_->Matches(row)) return false;
  if (!OnFilter || destroying_ || inOnFilter_ || !filterOptions_.ofoEnabled) return true;

  if (filterOptions_.ofoCancelOnEscape) {
    if (++filterRowCounter_ > kFilterCounterLimit) filterRowCounter_ = 0;
    if (filterRowCounter_ % kEscapeCheckInterval == 0 && toolkit::ui().escapePressed()) {
      filterOptions_.ofoEnabled = false;
      if (OnFilterEscape) OnFilterEscape(*this);
      return true;
    }
  }

  // The handler reads the row through the fields: point the active buffer at
  // it for the duration of the call.
  bool accept = true;
  inOnFilter_ = true;
  try {
    WithRowAsActive(row, [&] { OnFilter(*this, accept); });
  } catch (...) {
    inOnFilter_ = false;
    throw;
  }
  inOnFilter_ = false;
  if (!accept && filterOptions_.ofoShowHourGlass && !filterSetHourGlass_) {
    toolkit::ui().setCursor(toolkit::CursorShape::kHourGlass);
    filterSetHourGlass_ = true;
  }
  return accept;
}

void TwwTable::AfterNotification() {
  if (!filterSetHourGlass_) return;
  filterSetHourGlass_ = false;
  toolkit::ui().setCursor(toolkit::CursorShape::kArrow);
}

// ---------------------------------------------------------------- masks

const std::vector<std::string>& TwwTable::ValidityCheckPictures() {
  // The list is kept for one table: a switch to another table (the window
  // shares one data set among several) reads it afresh.
  if (checkPicturesRead_ && checkPicturesTable_ == TableName()) return checkPictures_;
  checkPictures_.clear();
  checkPicturesRead_ = true;
  checkPicturesTable_ = TableName();
  std::unique_ptr<TableCursor> temporary;
  TableCursor* cursor = Cursor();
  if (!Active()) {
    temporary = OpenTableCursor();
    cursor = temporary.get();
  }
  for (const CheckDef& check : cursor->Checks()) {
    for (const FieldDef& field : cursor->Fields()) {
      if (field.number == check.fieldNumber) {
        checkPictures_.push_back(field.name + "\t" + check.picture);
        break;
      }
    }
  }
  return checkPictures_;
}

std::optional<TwwFieldMask> TwwTable::FieldMask(const std::string& fieldName, bool useTableChecks) {
  std::optional<TwwFieldMask> result;
  std::string* ownLine = nullptr;
  std::string wanted = Lower(fieldName);
  for (std::string& line : PictureMasks) {
    std::vector<std::string> parts = SplitTabs(line);
    if (Lower(parts[0]) != wanted) continue;
    TwwFieldMask mask;
    mask.mask = parts.size() > 1 ? parts[1] : "";
    mask.autoFill = parts.size() > 2 && parts[2] == "T";
    mask.usePictureMaskInGrid = parts.size() > 3 && parts[3] == "T";
    result = mask;
    ownLine = &line;
    break;
  }
  if (useTableChecks && IsParadox()) {
    for (const std::string& line : ValidityCheckPictures()) {
      std::vector<std::string> parts = SplitTabs(line);
      if (parts[0] != fieldName || parts.size() < 2 || parts[1].empty()) continue;
      if (ownLine) {
        std::vector<std::string> own = SplitTabs(*ownLine);
        own.resize(std::max<size_t>(own.size(), 2));
        own[1] = parts[1];
        std::string rewritten = own[0];
        for (size_t i = 1; i < own.size(); ++i) rewritten += "\t" + own[i];
        *ownLine = rewritten;
        result->mask = parts[1];
      } else {
        result = TwwFieldMask{parts[1], true, true};
      }
      break;
    }
  }
  return result;
}

void TwwTable::ValidateBeforePost() {
  if (!ValidateWithMask) return;
  for (int i = 0; i < FieldCount(); ++i) {
    TField* field = Fields(i);
    if (field->ReadOnly()) continue;
    std::optional<TwwFieldMask> mask = FieldMask(field->FieldName(), true);
    if (!mask || mask->mask.empty()) continue;
    std::string text = field->AsString();
    if (text.empty()) continue;
    if (TwwPictureValidator(mask->mask, false, &textCodec()).MatchPicture(text, false) ==
        TwwPictureResult::Complete)
      continue;
    field->FocusControl();
    if (OnInvalidValue) OnInvalidValue(*this, *field);
    // The message is the international strings' one, so a translated or
    // connected set of strings shows here too.
    throw EDatabaseError(intl::GlobalIntl().UserMessages().PictureValidateError +
                         field->DisplayName());
  }
}

// ---------------------------------------------------------------- narrow search

void TwwTable::NarrowToPrefix(const std::string& text) {
  if (text.empty()) {
    CancelNarrowSearchRange();
    return;
  }
  TField* key = IndexFields(0);
  if (!key) return;
  if (key->DataType() == TFieldType::ftString) {
    std::string high =
        text + std::string(static_cast<size_t>(std::max(1, key->Size())), NarrowSearchUpperChar);
    SetRange({text}, {high});
  } else {
    SetRange({text}, {});
  }
}

void TwwTable::CancelNarrowSearchRange() {
  // The SQL-database way (close and reopen keeping the field layout) never
  // applies: these tables are local.
  CancelRange();
}

bool IsWwDataSet(const TDataSet* dataSet) {
  if (!dataSet) return false;
  for (const std::string& name : dataSet->ClassNames())
    if (name == "TwwTable" || name == "TwwQuery" || name == "TwwQBE" || name == "TwwStoredProc" ||
        name == "TwwClientDataSet")
      return true;
  return false;
}

}  // namespace data
