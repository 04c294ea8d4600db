// The link between one control and a data source. A control derives from it
// and overrides the notifications it cares about. Each link asks for a number
// of record buffers and sees the data set's window of rows through its own
// first-record offset, so that its active record is the data set's active
// record minus that offset.
#pragma once

#include "data_events.h"

namespace data {

class TDataSet;
class TField;
class TwwDataSource;

class TDataLink {
 public:
  TDataLink() = default;
  virtual ~TDataLink();
  TDataLink(const TDataLink&) = delete;
  TDataLink& operator=(const TDataLink&) = delete;

  TwwDataSource* DataSource() const { return dataSource_; }
  void SetDataSource(TwwDataSource* source);
  TDataSet* DataSet() const;

  // Active while the data source is enabled and its data set is open.
  bool Active() const { return active_; }
  bool Editing() const { return editing_; }
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool readOnly);

  int BufferCount() const { return bufferCount_; }
  void SetBufferCount(int count);
  // Rows of the window this link sees (at most its buffer count).
  int RecordCount() const;
  int ActiveRecord() const;
  // Points the data set's field reads at another row of the window for a
  // moment (to paint it); the cursor does not move.
  void SetActiveRecord(int index);

  // Puts the data set into edit state unless the link is read-only; answers
  // whether the link is editing afterwards.
  bool Edit();
  // Asks this link to write its pending input (UpdateData) now.
  void UpdateRecord();

  // Called by the data source; controls do not call it.
  void Notify(DataEvent event, int distance, TField* field);
  int FirstRecord() const { return firstRecord_; }

 protected:
  virtual void ActiveChanged() {}
  virtual void DataSetChanged() { RecordChanged(nullptr); }
  virtual void DataSetScrolled(int /*distance*/) { DataSetChanged(); }
  virtual void LayoutChanged() { DataSetChanged(); }
  virtual void EditingChanged() {}
  virtual void RecordChanged(TField* /*field*/) {}
  virtual void CheckBrowseMode() {}
  virtual void UpdateData() {}
  virtual void FocusControl(TField* /*field*/) {}

 private:
  friend class TwwDataSource;
  void UpdateState();
  void SetActive(bool active);
  void SetEditing(bool editing);
  int AdjustRange(long shift);

  TwwDataSource* dataSource_ = nullptr;
  bool active_ = false;
  bool editing_ = false;
  bool readOnly_ = false;
  bool updating_ = false;
  int bufferCount_ = 1;
  int firstRecord_ = 0;
};

}  // namespace data
