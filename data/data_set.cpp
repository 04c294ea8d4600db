#include "data_set.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdint>

#include "data_link.h"
#include "data_set_error.h"
#include "data_source.h"
#include "engine_table.h"
#include "toolkit/locale_settings.h"

namespace data {

namespace {

// A code page the system cannot convert leaves the table unopened: showing or
// storing its text through a guessed page would garble it.
std::shared_ptr<const toolkit::TextCodec> CodecOfTable(const TableCursor& cursor) {
  const int codePage = cursor.CodePage();
  try {
    return toolkit::TextCodec::forCodePage(codePage);
  } catch (const std::invalid_argument& error) {
    throw EDatabaseError(std::string(error.what()) +
                         " Set the code page of the table's text with CODEPAGE= in the alias's "
                         "section of the engine configuration.");
  }
}

}  // namespace

const toolkit::NumberSymbols& TDataSet::TableNumberSymbols() const {
  const unsigned long generation = toolkit::localeSettingsGeneration();
  if (symbols_.codec != codec_.get() || symbols_.generation != generation) {
    symbols_.symbols = toolkit::numberSymbols(toolkit::localeSettings(), codec_.get());
    symbols_.codec = codec_.get();
    symbols_.generation = generation;
  }
  return symbols_.symbols;
}

TDataSet::TDataSet()
    : opener_(std::make_shared<EngineTableOpener>()),
      codec_(toolkit::TextCodec::forCodePage(437)) {}

TDataSet::~TDataSet() {
  // A data set going away must not leave sources pointing at it.
  for (TwwDataSource* source : std::vector<TwwDataSource*>(sources_)) source->SetDataSet(nullptr);
  if (cursor_) {
    try {
      if (state_ == DataSetState::kEdit) cursor_->Unlock();
    } catch (...) {
      // The lock goes with the cursor anyway.
    }
  }
}

void TDataSet::SetDatabaseName(const std::string& name) {
  if (Active()) throw EDatabaseError(messages::kDataSetOpen);
  databaseName_ = name;
}

void TDataSet::SetTableName(const std::string& name) {
  if (Active()) throw EDatabaseError(messages::kDataSetOpen);
  tableName_ = name;
}

void TDataSet::SetReadOnly(bool readOnly) {
  if (Active()) throw EDatabaseError(messages::kDataSetOpen);
  readOnly_ = readOnly;
}

bool TDataSet::CanModify() const {
  return Active() && !readOnly_ && !cursor_->ReadOnly();
}

std::string TDataSet::TableReadOnlyReason() const {
  return Active() ? cursor_->ReadOnlyReason() : std::string();
}

// ---------------------------------------------------------------- open/close

void TDataSet::Open() {
  if (Active()) return;
  CheckCanOpen();
  cursor_ = OpenTableCursor();
  try {
    codec_ = CodecOfTable(*cursor_);
    BuildFields();
    AfterCursorOpened();
    UpdateBufferCount();
    FillFrom(false);
  } catch (...) {
    fields_.clear();
    buffers_.clear();
    cursor_.reset();
    throw;
  }
  SetState(DataSetState::kBrowse);
  if (AfterOpen) AfterOpen(*this);
}

void TDataSet::Close() {
  if (!Active()) return;
  if (BeforeClose) BeforeClose(*this);
  if (state_ == DataSetState::kEdit) {
    try {
      cursor_->Unlock();
    } catch (...) {
      // Closing drops the edit whatever the lock's fate; the cursor goes next.
    }
  }
  BeforeCursorClosed();
  cursor_.reset();
  buffers_.clear();
  activeRecord_ = 0;
  bof_ = eof_ = true;
  modified_ = false;
  SetState(DataSetState::kInactive);
  fields_.clear();
}

void TDataSet::BuildFields() {
  fields_.clear();
  for (const FieldDef& def : cursor_->Fields()) {
    fields_.push_back(std::make_unique<TField>(this, def.number, def.name,
                                               FieldTypeOfStoreType(def.storeType), def.size));
  }
  for (const CheckDef& check : cursor_->Checks()) {
    for (auto& field : fields_)
      if (field->FieldNo() == check.fieldNumber && check.required) field->SetRequired(true);
  }
}

void TDataSet::SetState(DataSetState state) {
  if (state_ == state) return;
  state_ = state;
  modified_ = false;
  DataEvent(DataEvent::kUpdateState);
}

void TDataSet::CheckActive() const {
  if (!Active()) throw EDatabaseError(messages::kDataSetClosed);
}

// ---------------------------------------------------------------- the window

void TDataSet::ClearBuffers() {
  buffers_.clear();
  activeRecord_ = 0;
}

TDataSet::Buffer& TDataSet::ActiveBuffer() {
  return buffers_.at(static_cast<size_t>(activeRecord_));
}

// Reads the row after the last buffer into a new last buffer, dropping the
// first buffer when the window is full.
bool TDataSet::FetchNext() {
  if (!buffers_.empty() && !cursor_->GoToBookmark(buffers_.back().bookmark))
    throw EDatabaseError(messages::kRecordNotFound);
  // The row is read into the spare buffer; the buffer that leaves the window
  // becomes the next spare, so that moving allocates nothing.
  while (cursor_->Next(spare_.row)) {
    if (!AcceptRow(spare_.row)) continue;
    cursor_->GetBookmarkInto(spare_.bookmark);
    if (static_cast<int>(buffers_.size()) >= bufferCount_) {
      std::rotate(buffers_.begin(), buffers_.begin() + 1, buffers_.end());
      swap(buffers_.back(), spare_);
      if (activeRecord_ > 0) --activeRecord_;
    } else {
      buffers_.push_back(std::move(spare_));
      spare_ = Buffer();
    }
    return true;
  }
  return false;
}

// Reads the row before the first buffer into a new first buffer, dropping the
// last buffer when the window is full.
bool TDataSet::FetchPrior() {
  if (!buffers_.empty() && !cursor_->GoToBookmark(buffers_.front().bookmark))
    throw EDatabaseError(messages::kRecordNotFound);
  while (cursor_->Prior(spare_.row)) {
    if (!AcceptRow(spare_.row)) continue;
    cursor_->GetBookmarkInto(spare_.bookmark);
    const bool wasEmpty = buffers_.empty();
    if (static_cast<int>(buffers_.size()) >= bufferCount_) {
      std::rotate(buffers_.begin(), buffers_.end() - 1, buffers_.end());
      swap(buffers_.front(), spare_);
    } else {
      buffers_.insert(buffers_.begin(), std::move(spare_));
      spare_ = Buffer();
    }
    if (!wasEmpty) activeRecord_ = std::min(activeRecord_ + 1, RecordCount() - 1);
    return true;
  }
  return false;
}

void TDataSet::FillFrom(bool fromEnd) {
  ClearBuffers();
  if (fromEnd) {
    cursor_->SetToEnd();
    while (static_cast<int>(buffers_.size()) < bufferCount_ && FetchPrior()) {
    }
    activeRecord_ = std::max(0, RecordCount() - 1);
  } else {
    cursor_->SetToBegin();
    while (static_cast<int>(buffers_.size()) < bufferCount_ && FetchNext()) {
    }
    activeRecord_ = 0;
  }
  bool empty = buffers_.empty();
  bof_ = !fromEnd || empty;
  eof_ = fromEnd || empty;
}

// Rebuilds the window around the row the cursor stands on, keeping that row at
// window position `position` when the rows before it allow.
void TDataSet::ResyncAroundCursor(int position) {
  Buffer centre;
  bool onRow = cursor_->Current(centre.row);
  if (!onRow) {
    // Past the end (the last row went): the row before stands in.
    onRow = cursor_->Prior(centre.row);
    if (!onRow) {
      ClearBuffers();
      bof_ = eof_ = true;
      DataEvent(DataEvent::kDataSetChange);
      return;
    }
  }
  centre.bookmark = cursor_->GetBookmark();
  ClearBuffers();
  buffers_.push_back(std::move(centre));
  activeRecord_ = 0;
  while (activeRecord_ < position && FetchPrior()) {
  }
  while (RecordCount() < bufferCount_ && FetchNext()) {
  }
  while (RecordCount() < bufferCount_ && FetchPrior()) {
  }
  bof_ = eof_ = false;
  DataEvent(DataEvent::kDataSetChange);
}

void TDataSet::PositionCursorOnActive() {
  if (buffers_.empty()) throw EDatabaseError(messages::kDataSetEmpty);
  if (!cursor_->GoToBookmark(ActiveBuffer().bookmark))
    throw EDatabaseError(messages::kRecordNotFound);
}

void TDataSet::Resync() {
  CheckActive();
  if (buffers_.empty() || !cursor_->GoToBookmark(ActiveBuffer().bookmark)) {
    FillFrom(false);
    DataEvent(DataEvent::kDataSetChange);
    return;
  }
  // The active row itself may be filtered out now; it stays until the next move.
  ResyncAroundCursor(activeRecord_);
}

void TDataSet::UpdateBufferCount() {
  int wanted = 1;
  for (TwwDataSource* source : sources_)
    for (TDataLink* link : source->Links()) wanted = std::max(wanted, link->BufferCount());
  if (wanted == bufferCount_) return;
  bufferCount_ = wanted;
  if (!Active()) return;
  // Shrinking keeps the active row inside the window; growing reads more rows
  // after the window, then before it when the table ends first.
  while (RecordCount() > bufferCount_) {
    if (activeRecord_ > 0) {
      buffers_.erase(buffers_.begin());
      --activeRecord_;
    } else {
      buffers_.pop_back();
    }
  }
  if (state_ == DataSetState::kInsert) return;
  while (RecordCount() < bufferCount_ && RecordCount() > 0 && FetchNext()) {
  }
  while (RecordCount() < bufferCount_ && RecordCount() > 0 && FetchPrior()) {
  }
}

void TDataSet::SetActiveRecord(int index) {
  if (index < 0 || index >= RecordCount()) return;
  activeRecord_ = index;
}

// ---------------------------------------------------------------- moving

void TDataSet::First() {
  CheckBrowseMode();
  FillFrom(false);
  DataEvent(DataEvent::kDataSetChange);
}

void TDataSet::Last() {
  CheckBrowseMode();
  FillFrom(true);
  DataEvent(DataEvent::kDataSetChange);
}

int TDataSet::MoveBy(int distance) {
  CheckBrowseMode();
  int moved = 0;
  if ((distance > 0 && eof_) || (distance < 0 && bof_) || distance == 0) return 0;
  bof_ = eof_ = false;
  int shift = 0;
  while (distance > 0) {
    if (activeRecord_ < RecordCount() - 1) {
      ++activeRecord_;
    } else {
      bool full = RecordCount() >= bufferCount_;
      int before = activeRecord_;
      if (!FetchNext()) {
        eof_ = true;
        break;
      }
      if (full) shift -= 1;
      activeRecord_ = full ? before : before + 1;
    }
    --distance;
    ++moved;
  }
  while (distance < 0) {
    if (activeRecord_ > 0) {
      --activeRecord_;
    } else {
      if (!FetchPrior()) {
        bof_ = true;
        break;
      }
      shift += 1;
      activeRecord_ = 0;
    }
    ++distance;
    --moved;
  }
  DataEvent(DataEvent::kDataSetScroll, shift);
  return moved;
}

int64_t TDataSet::RecNo() {
  CheckActive();
  if (buffers_.empty() || state_ == DataSetState::kInsert) return -1;
  PositionCursorOnActive();
  return cursor_->RecordNumber();
}

void TDataSet::SetRecNo(int64_t number) {
  CheckBrowseMode();
  if (!cursor_->GoToRecordNumber(number)) throw EDatabaseError(messages::kRecordNotFound);
  ResyncAroundCursor(activeRecord_);
}

int64_t TDataSet::RecordCountTotal() {
  CheckActive();
  return cursor_->RecordCount();
}

Bookmark TDataSet::GetBookmark() {
  if (!Active() || buffers_.empty() || state_ == DataSetState::kInsert) return {};
  return ActiveBuffer().bookmark;
}

bool TDataSet::BookmarkValid(const Bookmark& bookmark) {
  return Active() && !bookmark.empty() && cursor_->GoToBookmark(bookmark);
}

void TDataSet::GotoBookmark(const Bookmark& bookmark) {
  CheckBrowseMode();
  if (bookmark.empty() || !cursor_->GoToBookmark(bookmark))
    throw EDatabaseError(messages::kRecordNotFound);
  ResyncAroundCursor(activeRecord_);
}

int TDataSet::CompareBookmarks(const Bookmark& a, const Bookmark& b) {
  if (a.empty() || b.empty()) return a.empty() == b.empty() ? 0 : (a.empty() ? -1 : 1);
  CheckActive();
  return cursor_->CompareBookmarks(a, b);
}

// ---------------------------------------------------------------- editing

void TDataSet::CheckCanModify() const {
  if (!CanModify()) throw EDatabaseError(messages::kDataSetReadOnly);
}

void TDataSet::CheckEditing() const {
  if (state_ != DataSetState::kEdit && state_ != DataSetState::kInsert)
    throw EDatabaseError(messages::kNotEditing);
}

void TDataSet::CheckBrowseMode() {
  CheckActive();
  DataEvent(DataEvent::kCheckBrowseMode);
  if (state_ == DataSetState::kEdit || state_ == DataSetState::kInsert) {
    UpdateRecord();
    if (modified_)
      Post();
    else
      Cancel();
  }
}

void TDataSet::Edit() {
  if (state_ == DataSetState::kEdit || state_ == DataSetState::kInsert) return;
  CheckActive();
  if (buffers_.empty()) {
    Insert();
    return;
  }
  CheckCanModify();
  PositionCursorOnActive();
  Row row = cursor_->Lock();
  savedRow_ = ActiveBuffer().row;
  ActiveBuffer().row = std::move(row);
  SetState(DataSetState::kEdit);
  DataEvent(DataEvent::kRecordChange);
}

void TDataSet::Insert() {
  CheckBrowseMode();
  CheckCanModify();
  insertAnchor_ = buffers_.empty() ? Bookmark() : ActiveBuffer().bookmark;
  Buffer buffer;
  buffer.row = cursor_->BlankRow();
  if (RecordCount() >= bufferCount_) buffers_.pop_back();
  int at = std::min(activeRecord_, RecordCount());
  buffers_.insert(buffers_.begin() + at, std::move(buffer));
  activeRecord_ = at;
  if (RecordCount() == 1) bof_ = eof_ = false;
  SetState(DataSetState::kInsert);
  DataEvent(DataEvent::kDataSetChange);
}

void TDataSet::Append() {
  CheckBrowseMode();
  CheckCanModify();
  FillFrom(true);
  insertAnchor_ = buffers_.empty() ? Bookmark() : buffers_.back().bookmark;
  Buffer buffer;
  buffer.row = cursor_->BlankRow();
  if (RecordCount() >= bufferCount_) buffers_.erase(buffers_.begin());
  buffers_.push_back(std::move(buffer));
  activeRecord_ = RecordCount() - 1;
  bof_ = false;
  eof_ = true;
  SetState(DataSetState::kInsert);
  DataEvent(DataEvent::kDataSetChange);
}

void TDataSet::UpdateRecord() {
  CheckEditing();
  DataEvent(DataEvent::kUpdateRecord);
}

void TDataSet::Post() {
  UpdateRecord();
  DataEvent(DataEvent::kCheckBrowseMode);
  if (BeforePost) BeforePost(*this);
  ValidateBeforePost();
  CheckRequiredFields();
  const Row& row = ActiveBuffer().row;
  if (state_ == DataSetState::kEdit) {
    PositionCursorOnActive();
    cursor_->Modify(row);
  } else {
    cursor_->Insert(row);
  }
  int position = activeRecord_;
  SetState(DataSetState::kBrowse);
  ResyncAroundCursor(position);
  if (AfterPost) AfterPost(*this);
}

void TDataSet::CheckRequiredFields() {
  for (auto& field : fields_) {
    if (field->Required() && !field->ReadOnly() && !field->Calculated() && field->IsNull()) {
      field->FocusControl();
      throw EDatabaseError(messages::Format(messages::kFieldRequired, field->DisplayName()));
    }
  }
}

void TDataSet::Cancel() {
  if (state_ == DataSetState::kEdit) {
    ActiveBuffer().row = std::move(savedRow_);
    savedRow_ = {};
    try {
      PositionCursorOnActive();
      cursor_->Unlock();
    } catch (...) {
      SetState(DataSetState::kBrowse);
      DataEvent(DataEvent::kDataSetChange);
      throw;
    }
    SetState(DataSetState::kBrowse);
    DataEvent(DataEvent::kDataSetChange);
  } else if (state_ == DataSetState::kInsert) {
    int position = activeRecord_;
    buffers_.erase(buffers_.begin() + activeRecord_);
    SetState(DataSetState::kBrowse);
    Bookmark anchor = std::move(insertAnchor_);
    insertAnchor_.clear();
    if (anchor.empty() || !cursor_->GoToBookmark(anchor)) {
      FillFrom(false);
      DataEvent(DataEvent::kDataSetChange);
      return;
    }
    ResyncAroundCursor(std::min(position, bufferCount_ - 1));
  }
}

void TDataSet::Delete() {
  CheckActive();
  if (state_ == DataSetState::kInsert) {
    Cancel();
    return;
  }
  if (buffers_.empty()) throw EDatabaseError(messages::kDataSetEmpty);
  CheckCanModify();
  DataEvent(DataEvent::kCheckBrowseMode);
  PositionCursorOnActive();
  cursor_->Delete();
  int position = activeRecord_;
  SetState(DataSetState::kBrowse);
  ResyncAroundCursor(position);
}

void TDataSet::Refresh() {
  CheckBrowseMode();
  cursor_->Refresh();
  Resync();
}

// ---------------------------------------------------------------- notifications

void TDataSet::DisableControls() {
  if (disableCount_ == 0) stateAtDisable_ = state_;
  ++disableCount_;
}

void TDataSet::EnableControls() {
  if (disableCount_ == 0) return;
  if (--disableCount_ > 0) return;
  if (state_ != stateAtDisable_) DataEvent(DataEvent::kUpdateState);
  if (stateAtDisable_ != DataSetState::kInactive && Active()) DataEvent(DataEvent::kDataSetChange);
}

void TDataSet::DataEvent(data::DataEvent event, int distance, TField* field) {
  if (event == DataEvent::kRecordChange && field) modified_ = true;
  // Pending input must reach the fields even during a long walk; everything
  // else waits for EnableControls.
  bool alwaysSent = event == DataEvent::kUpdateRecord || event == DataEvent::kCheckBrowseMode;
  if (disableCount_ > 0 && !alwaysSent) return;
  for (TwwDataSource* source : std::vector<TwwDataSource*>(sources_))
    source->Notify(event, distance, field);
  AfterNotification();
}

PropertyValue TDataSet::ReadProperty(const std::string& name) const {
  if (name == "DatabaseName") return databaseName_;
  return {};
}

std::unique_ptr<TableCursor> TDataSet::OpenTableCursor() {
  if (tableName_.empty()) throw EDatabaseError(messages::kNoTableName);
  if (!opener_) throw EDatabaseError("No table engine is available");
  return opener_->Open(databaseName_, tableName_);
}

void TDataSet::WithRowAsActive(const Row& row, const std::function<void()>& body) {
  Row probe = row;
  Row* previous = probeRow_;
  probeRow_ = &probe;
  try {
    body();
  } catch (...) {
    probeRow_ = previous;
    throw;
  }
  probeRow_ = previous;
}

void TDataSet::Refill() {
  CheckActive();
  FillFrom(false);
  DataEvent(DataEvent::kDataSetChange);
}

void TDataSet::AttachSource(TwwDataSource* source) {
  if (std::find(sources_.begin(), sources_.end(), source) == sources_.end())
    sources_.push_back(source);
  UpdateBufferCount();
}

void TDataSet::DetachSource(TwwDataSource* source) {
  sources_.erase(std::remove(sources_.begin(), sources_.end(), source), sources_.end());
  UpdateBufferCount();
}

// ---------------------------------------------------------------- fields

TField* TDataSet::FindField(const std::string& name) const {
  for (auto& field : fields_) {
    const std::string& own = field->FieldName();
    if (own.size() == name.size() &&
        std::equal(own.begin(), own.end(), name.begin(), [this](char a, char b) {
          return codec_->upperCase(static_cast<unsigned char>(a)) ==
                 codec_->upperCase(static_cast<unsigned char>(b));
        }))
      return field.get();
  }
  return nullptr;
}

TField* TDataSet::FieldByName(const std::string& name) const {
  TField* field = FindField(name);
  if (!field) throw EDatabaseError(messages::Format(messages::kFieldNotFound, name));
  return field;
}

const FieldValue& TDataSet::ValueOf(const TField& field) {
  static const FieldValue kBlank;
  if (!Active() || (buffers_.empty() && !probeRow_)) return kBlank;
  Row& row = probeRow_ ? *probeRow_ : ActiveBuffer().row;
  FieldValue& value = row.values.at(static_cast<size_t>(field.FieldNo() - 1));
  if (std::holds_alternative<UnreadBlob>(value)) {
    std::string blob = cursor_->ReadBlob(row, field.FieldNo());
    value = blob.empty() ? FieldValue{} : FieldValue{std::move(blob)};
  }
  return value;
}

void TDataSet::SetValueOf(const TField& field, FieldValue value) {
  CheckEditing();
  if (field.ReadOnly())
    throw EDatabaseError(messages::Format(messages::kFieldReadOnly, field.DisplayName()));
  ActiveBuffer().row.values.at(static_cast<size_t>(field.FieldNo() - 1)) = std::move(value);
  DataEvent(DataEvent::kRecordChange, 0, const_cast<TField*>(&field));
}

void TDataSet::FocusField(TField* field) {
  DataEvent(DataEvent::kFocusControl, 0, field);
}

void TDataSet::MoveField(TField* field, int index) {
  auto at = std::find_if(fields_.begin(), fields_.end(),
                         [field](const auto& own) { return own.get() == field; });
  if (at == fields_.end()) return;
  index = std::clamp(index, 0, FieldCount() - 1);
  std::unique_ptr<TField> moving = std::move(*at);
  fields_.erase(at);
  fields_.insert(fields_.begin() + index, std::move(moving));
  FieldLayoutChanged();
}

void TDataSet::FieldLayoutChanged() {
  if (Active()) DataEvent(DataEvent::kLayoutChange);
}

// ---------------------------------------------------------------- keys

int TDataSet::IndexFieldCount() const {
  return Active() ? cursor_->KeyFieldCount() : 0;
}

bool TDataSet::IndexCaseInsensitive() const {
  return Active() && cursor_->CaseInsensitiveKeys();
}

TField* TDataSet::IndexFields(int index) const {
  if (index < 0 || index >= IndexFieldCount()) return nullptr;
  int number = cursor_->Fields().at(static_cast<size_t>(index)).number;
  for (auto& field : fields_)
    if (field->FieldNo() == number) return field.get();
  return nullptr;
}

Row TDataSet::KeyRow(const std::vector<std::string>& texts) {
  // The key is built in an insert-like scratch buffer so that every text goes
  // through the same conversion as a typed value.
  Row key = cursor_->BlankRow();
  for (size_t i = 0; i < texts.size() && static_cast<int>(i) < IndexFieldCount(); ++i) {
    TField* field = IndexFields(static_cast<int>(i));
    key.values.at(static_cast<size_t>(field->FieldNo() - 1)) = field->ValueOfText(texts[i]);
  }
  return key;
}

void TDataSet::FindNearest(const std::vector<std::string>& keyTexts) {
  CheckBrowseMode();
  Row key = KeyRow(keyTexts);
  int count = std::min<int>(static_cast<int>(keyTexts.size()), IndexFieldCount());
  if (!cursor_->FindNearest(key, count)) {
    FillFrom(true);
    DataEvent(DataEvent::kDataSetChange);
    return;
  }
  ResyncAroundCursor(activeRecord_);
}

void TDataSet::SetRange(const std::vector<std::string>& lowKey,
                        const std::vector<std::string>& highKey) {
  CheckBrowseMode();
  TableCursor::RangeEnd low, high;
  if (!lowKey.empty()) {
    low = {KeyRow(lowKey), std::min<int>(static_cast<int>(lowKey.size()), IndexFieldCount()), true};
  }
  if (!highKey.empty()) {
    high = {KeyRow(highKey), std::min<int>(static_cast<int>(highKey.size()), IndexFieldCount()),
            true};
  }
  cursor_->SetRange(low, high);
  FillFrom(false);
  DataEvent(DataEvent::kDataSetChange);
}

void TDataSet::CancelRange() {
  CheckBrowseMode();
  cursor_->ResetRange();
  FillFrom(false);
  DataEvent(DataEvent::kDataSetChange);
}

namespace {

// Text folded by the table's case rules, for comparisons without regard to
// case: a Cyrillic table's letters fold too.
std::string FoldCase(const toolkit::TextCodec& codec, const std::string& text) {
  return codec.upperCase(text);
}

bool IsIntegerKey(TFieldType type) {
  return type == TFieldType::ftSmallint || type == TFieldType::ftInteger ||
         type == TFieldType::ftWord || type == TFieldType::ftAutoInc;
}

bool Matches(const std::string& have, const std::string& want, bool partial) {
  return partial ? have.compare(0, want.size(), want) == 0 : have == want;
}

// Matches without building a folded copy of the row's text; want is folded.
bool FoldedMatches(const toolkit::TextCodec& codec, std::string_view have, const std::string& want,
                   bool partial, bool fold) {
  if (have.size() < want.size() || (!partial && have.size() != want.size())) return false;
  for (size_t i = 0; i < want.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(have[i]);
    if ((fold ? codec.upperCase(c) : c) != static_cast<unsigned char>(want[i])) return false;
  }
  return true;
}

}  // namespace

bool TDataSet::RowMatches(const std::vector<TField*>& fields,
                          const std::vector<std::string>& wanted, LocateOptions options) {
  for (size_t i = 0; i < fields.size(); ++i) {
    std::string have = fields[i]->AsString();
    if (options.caseInsensitive) have = FoldCase(*codec_, have);
    const std::string& want = i < wanted.size() ? wanted[i] : std::string();
    // Only the last value may be a beginning; the ones before it are whole.
    if (!Matches(have, want, options.partialKey && i + 1 == fields.size())) return false;
  }
  return true;
}

bool TDataSet::LocateIntegerBeginning(const std::vector<TField*>& fields,
                                      const std::vector<std::string>& values) {
  // The numbers whose text begins with the digits d lie in the ranges d,
  // d0 to d9, d00 to d99, ...: one seek each, in key order (the longest
  // first for negative numbers), instead of reading every row.
  const std::string& text = values.back();
  const bool negative = !text.empty() && text[0] == '-';
  const std::string digits = negative ? text.substr(1) : text;
  if (digits.size() > 10 || !std::all_of(digits.begin(), digits.end(), ::isdigit) ||
      (digits.size() > 1 && digits[0] == '0'))
    return false;
  struct Span {
    int64_t low, high;
  };
  std::vector<Span> spans;
  if (digits.empty()) {
    // The long integer's smallest value marks a blank in the store.
    if (negative)
      spans.push_back({INT32_MIN + 1, -1});
    else
      spans.push_back({INT32_MIN + 1, INT32_MAX});
  } else if (digits == "0") {
    spans.push_back({0, 0});
  } else {
    const int64_t d = std::stoll(digits);
    for (int64_t scale = 1; d * scale <= INT32_MAX; scale *= 10) {
      if (negative)
        spans.insert(spans.begin(), {-(d + 1) * scale + 1, -d * scale});
      else
        spans.push_back({d * scale, (d + 1) * scale - 1});
    }
  }
  std::vector<std::string> probe = values;
  std::vector<TField*> leading(fields.begin(), fields.end() - 1);
  std::vector<std::string> leadingValues(values.begin(), values.end() - 1);
  for (const Span& span : spans) {
    probe.back() = std::to_string(span.low);
    Row key, row;
    try {
      key = KeyRow(probe);
    } catch (const std::exception&) {
      continue;  // beyond what the field can hold
    }
    if (!cursor_->FindNearest(key, static_cast<int>(fields.size())) || !cursor_->Current(row))
      continue;
    bool found = false;
    WithRowAsActive(row, [&] {
      const int64_t value = fields.back()->AsInteger();
      found =
          !fields.back()->IsNull() && value <= span.high && RowMatches(leading, leadingValues, {});
    });
    if (found) {
      ResyncAroundCursor(activeRecord_);
      return true;
    }
  }
  return false;
}

bool TDataSet::LocateByKey(const std::vector<TField*>& fields,
                           const std::vector<std::string>& values,
                           const std::vector<std::string>& wanted, LocateOptions options) {
  TField* lastField = fields.back();
  if (options.partialKey && IsIntegerKey(lastField->DataType()))
    return LocateIntegerBeginning(fields, values);
  // Rows sharing the leading key values and the beginning of the last one sit
  // together in key order, from the nearest key on; rows that match only
  // without regard to case sit among them when the index ignores case.
  Row key;
  try {
    key = KeyRow(values);
  } catch (const std::exception&) {
    return false;  // a text that is no value of its key field matches no row
  }
  if (!cursor_->FindNearest(key, static_cast<int>(fields.size()))) return false;
  TField* last = fields.back();
  const bool text = last->DataType() == TFieldType::ftString;
  const bool keyIgnoresCase = IndexCaseInsensitive();
  LocateOptions group = options;
  group.caseInsensitive = options.caseInsensitive || keyIgnoresCase;
  std::vector<std::string> groupWanted;
  for (const std::string& value : values) groupWanted.push_back(FoldCase(*codec_, value));
  Row row;
  bool found = false;
  bool more = cursor_->Current(row);
  while (more && !found) {
    bool inGroup = false;
    WithRowAsActive(row, [&] {
      found = RowMatches(fields, wanted, options);
      inGroup = text && group.caseInsensitive != options.caseInsensitive &&
                RowMatches(fields, groupWanted, group);
    });
    if (found || !inGroup) break;
    more = cursor_->Next(row);
  }
  if (found) ResyncAroundCursor(activeRecord_);
  return found;
}

bool TDataSet::Locate(const std::string& fieldNames, const std::vector<std::string>& values,
                      LocateOptions options) {
  CheckBrowseMode();
  std::vector<TField*> fields;
  size_t start = 0;
  while (start <= fieldNames.size()) {
    size_t end = fieldNames.find(';', start);
    if (end == std::string::npos) end = fieldNames.size();
    fields.push_back(FieldByName(fieldNames.substr(start, end - start)));
    start = end + 1;
  }
  std::vector<std::string> wanted;
  for (const std::string& value : values)
    wanted.push_back(options.caseInsensitive ? FoldCase(*codec_, value) : value);

  // The leading fields of the key, in key order, are found by a seek in the
  // index, never by reading the table: unless the search ignores case where
  // the index does not, matching rows lie together from the nearest key on.
  bool leadingKey = IsSequenced() && values.size() == fields.size() &&
                    static_cast<int>(fields.size()) <= IndexFieldCount() &&
                    !(options.caseInsensitive && !IndexCaseInsensitive());
  for (size_t i = 0; leadingKey && i < fields.size(); ++i)
    leadingKey = fields[i] == IndexFields(static_cast<int>(i));
  if (leadingKey) return LocateByKey(fields, values, wanted, options);

  Row probe;
  cursor_->SetToBegin();
  bool found = false;
  // Text fields of an unfiltered data set are compared straight from each
  // row's record, decoding only those fields: the scan runs at the store's
  // pace rather than building every value of every row.
  const bool textOnly = IsSequenced() && std::all_of(fields.begin(), fields.end(), [](TField* f) {
                          return f->DataType() == TFieldType::ftString;
                        });
  if (textOnly) {
    while (!found && cursor_->NextUndecoded(probe)) {
      found = true;
      for (size_t i = 0; i < fields.size() && found; ++i) {
        FieldValue value = cursor_->DecodeField(probe, fields[i]->FieldNo());
        const std::string* text = std::get_if<std::string>(&value);
        const std::string& want = i < wanted.size() ? wanted[i] : std::string();
        found =
            FoldedMatches(textCodec(), text ? *text : std::string_view(), want,
                          options.partialKey && i + 1 == fields.size(), options.caseInsensitive);
      }
    }
  }
  while (!textOnly && !found && cursor_->Next(probe)) {
    if (!AcceptRow(probe)) continue;
    WithRowAsActive(probe, [&] { found = RowMatches(fields, wanted, options); });
  }
  if (!found) return false;
  ResyncAroundCursor(activeRecord_);
  return true;
}

}  // namespace data
