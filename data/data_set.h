// A navigable set of rows of one table with a current row, fields, and the
// states inactive, browse, edit and insert. It holds a window of consecutive
// rows of the table: up to BufferCount record buffers, of which
// RecordCount are filled, ActiveRecord being the current one. Every cost is
// bounded by that window, never by the table.
//
// Notifications go through the data sources attached to it; moves end with
// one "scrolled" notification carrying the shift of the window, refills and
// re-reads with one "data set changed".
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "data_events.h"
#include "field.h"
#include "table_cursor.h"
#include "toolkit/number_text.h"
#include "toolkit/text_codec.h"

namespace data {

class TwwDataSource;
class TDataSet;

// A property read by name: none, a list of lines, a switch, a text, or the
// invalid-value event.
using InvalidValueEvent = std::function<void(TDataSet&, TField&)>;
using PropertyValue =
    std::variant<std::monostate, std::vector<std::string>, bool, std::string, InvalidValueEvent>;

class TDataSet {
 public:
  TDataSet();
  virtual ~TDataSet();
  TDataSet(const TDataSet&) = delete;
  TDataSet& operator=(const TDataSet&) = delete;

  // The class and its ancestors, most derived first: the ww data set test
  // and the control's checks read it.
  virtual std::vector<std::string> ClassNames() const { return {"TDataSet"}; }
  // The published properties other components read by name; none for a name
  // this class does not publish.
  virtual PropertyValue ReadProperty(const std::string& name) const;
  std::string Name;

  // Where tables come from; the engine's store unless a test sets another.
  void SetTableOpener(std::shared_ptr<TableOpener> opener) { opener_ = std::move(opener); }
  const std::string& DatabaseName() const { return databaseName_; }
  void SetDatabaseName(const std::string& name);
  const std::string& TableName() const { return tableName_; }
  virtual void SetTableName(const std::string& name);

  // ---- State
  DataSetState State() const { return state_; }
  bool Active() const { return state_ != DataSetState::kInactive; }
  void SetActive(bool active) { active ? Open() : Close(); }
  void Open();
  // Drops an edit in progress; never posts.
  void Close();
  bool Bof() const { return bof_; }
  bool Eof() const { return eof_; }
  bool IsEmpty() const { return bof_ && eof_; }
  bool CanModify() const;
  // Why the open table cannot be changed, as the engine gives it; empty when
  // it can, or when nothing is open.
  std::string TableReadOnlyReason() const;
  bool Modified() const { return modified_; }
  void SetReadOnly(bool readOnly);
  bool ReadOnly() const { return readOnly_; }
  // The codec of the open table's code page (of the last table opened while
  // closed; 437 before any). Field values stay in that code page; controls
  // convert where text meets the screen, keyboard, clipboard or printer.
  const toolkit::TextCodec& textCodec() const { return *codec_; }
  // The locale's number symbols in the table's code page, made once per
  // table and locale settings: fields ask for them for every number text.
  const toolkit::NumberSymbols& TableNumberSymbols() const;

  // ---- Moving; each first brings the data set to browse state.
  void First();
  void Last();
  void Next() { MoveBy(1); }
  void Prior() { MoveBy(-1); }
  int MoveBy(int distance);
  // Record numbers are meaningful only while IsSequenced.
  virtual bool IsSequenced() const { return true; }
  int64_t RecNo();
  void SetRecNo(int64_t number);
  int64_t RecordCountTotal();

  Bookmark GetBookmark();
  bool BookmarkValid(const Bookmark& bookmark);
  void GotoBookmark(const Bookmark& bookmark);
  void FreeBookmark(Bookmark& bookmark) { bookmark.clear(); }
  int CompareBookmarks(const Bookmark& a, const Bookmark& b);

  // ---- The window
  int BufferCount() const { return bufferCount_; }
  int RecordCount() const { return static_cast<int>(buffers_.size()); }
  int ActiveRecord() const { return activeRecord_; }
  // Points field reads at another filled buffer for a moment.
  void SetActiveRecord(int index);

  // ---- Editing
  void Edit();
  void Insert();
  void Append();
  void Delete();
  void Post();
  void Cancel();
  void Refresh();
  // Controls write their pending input into the fields.
  void UpdateRecord();
  // Posts a modified edit, cancels an unmodified one; needs an open data set.
  void CheckBrowseMode();

  // ---- Notifications
  void DisableControls();
  void EnableControls();
  bool ControlsDisabled() const { return disableCount_ > 0; }

  // ---- Fields, in their display order
  int FieldCount() const { return static_cast<int>(fields_.size()); }
  TField* Fields(int index) const { return fields_.at(static_cast<size_t>(index)).get(); }
  TField* FindField(const std::string& name) const;
  TField* FieldByName(const std::string& name) const;

  // ---- Keys on the current (primary) index
  int IndexFieldCount() const;
  TField* IndexFields(int index) const;
  // The current index is the table's primary key, ascending; it compares
  // text without regard to case where the table's sort order says so.
  bool IndexDescending() const { return false; }
  bool IndexCaseInsensitive() const;
  // Moves to the first row at or after the key made of these texts.
  void FindNearest(const std::vector<std::string>& keyTexts);
  // The rows whose key lies between the two keys (texts for the leading key
  // fields; an empty list leaves that end open).
  void SetRange(const std::vector<std::string>& lowKey, const std::vector<std::string>& highKey);
  void CancelRange();
  struct LocateOptions {
    bool caseInsensitive = false;
    bool partialKey = false;
  };
  // The first row whose named fields (";"-separated) hold the values, the
  // last value being a beginning with partialKey; the current row stays when
  // there is none. On the leading fields of the current index this is a seek
  // in the index; on other fields a scan from the first row.
  bool Locate(const std::string& fieldNames, const std::vector<std::string>& values,
              LocateOptions options);

  // Events of the data set.
  std::function<void(TDataSet&)> BeforePost, AfterPost, AfterOpen, BeforeClose;

  // ---- For fields, links and data sources
  const FieldValue& ValueOf(const TField& field);
  void SetValueOf(const TField& field, FieldValue value);
  void FocusField(TField* field);
  void MoveField(TField* field, int index);
  void FieldLayoutChanged();
  void AttachSource(TwwDataSource* source);
  void DetachSource(TwwDataSource* source);
  void UpdateBufferCount();

 protected:
  // What a derived data set adds around opening and posting.
  virtual void CheckCanOpen() {}
  virtual void AfterCursorOpened() {}
  virtual void BeforeCursorClosed() {}
  virtual void ValidateBeforePost() {}
  // Whether a row read from the table is shown.
  virtual bool AcceptRow(const Row&) { return true; }
  // After each notification has reached the controls.
  virtual void AfterNotification() {}
  // A cursor on the table named now, for reading while the data set is closed.
  std::unique_ptr<TableCursor> OpenTableCursor();
  // Refills the window from the first row and tells the controls.
  void Refill();
  // Runs body with the fields reading row instead of the active buffer.
  void WithRowAsActive(const Row& row, const std::function<void()>& body);
  // Re-reads the window around the current row (after a filter change).
  void Resync();
  TableCursor* Cursor() const { return cursor_.get(); }
  void DataEvent(DataEvent event, int distance = 0, TField* field = nullptr);
  void CheckActive() const;

 private:
  struct Buffer {
    Row row;
    Bookmark bookmark;
    // Member by member: the window trades buffers at every step.
    friend void swap(Buffer& a, Buffer& b) noexcept {
      a.row.values.swap(b.row.values);
      a.row.record.swap(b.row.record);
      a.bookmark.swap(b.bookmark);
    }
  };

  void SetState(DataSetState state);
  void BuildFields();
  void ClearBuffers();
  bool FetchNext();
  bool FetchPrior();
  void FillFrom(bool fromEnd);
  void ResyncAroundCursor(int position);
  void PositionCursorOnActive();
  void CheckCanModify() const;
  void CheckEditing() const;
  Row KeyRow(const std::vector<std::string>& texts);
  bool RowMatches(const std::vector<TField*>& fields, const std::vector<std::string>& wanted,
                  LocateOptions options);
  bool LocateIntegerBeginning(const std::vector<TField*>& fields,
                              const std::vector<std::string>& values);
  bool LocateByKey(const std::vector<TField*>& fields, const std::vector<std::string>& values,
                   const std::vector<std::string>& wanted, LocateOptions options);
  void CheckRequiredFields();
  Buffer& ActiveBuffer();

  std::shared_ptr<TableOpener> opener_;
  std::unique_ptr<TableCursor> cursor_;
  std::shared_ptr<const toolkit::TextCodec> codec_;
  struct SymbolsCache {
    toolkit::NumberSymbols symbols;
    const toolkit::TextCodec* codec = nullptr;
    unsigned long generation = 0;
  };
  mutable SymbolsCache symbols_;
  std::string databaseName_;
  std::string tableName_;
  std::vector<std::unique_ptr<TField>> fields_;
  std::vector<TwwDataSource*> sources_;

  DataSetState state_ = DataSetState::kInactive;
  std::vector<Buffer> buffers_;
  // Storage for the next row read, recycled from the buffer that left the window.
  Buffer spare_;
  int bufferCount_ = 1;
  int activeRecord_ = 0;
  bool bof_ = true;
  bool eof_ = true;
  bool modified_ = false;
  bool readOnly_ = false;
  Row savedRow_;  // the row as it was when an edit began, for Cancel
  Row* probeRow_ = nullptr;
  // The row an insertion stands before (the window may have dropped it), for Cancel.
  Bookmark insertAnchor_;

  int disableCount_ = 0;
  DataSetState stateAtDisable_ = DataSetState::kInactive;
};

}  // namespace data
