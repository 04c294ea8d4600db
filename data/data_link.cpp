#include "data_link.h"

#include <algorithm>

#include "data_set.h"
#include "data_source.h"

namespace data {

TDataLink::~TDataLink() {
  if (dataSource_) dataSource_->RemoveLink(this);
}

void TDataLink::SetDataSource(TwwDataSource* source) {
  if (dataSource_ == source) return;
  if (dataSource_) dataSource_->RemoveLink(this);
  dataSource_ = source;
  if (dataSource_)
    dataSource_->AddLink(this);
  else
    UpdateState();
}

TDataSet* TDataLink::DataSet() const {
  return dataSource_ ? dataSource_->DataSet() : nullptr;
}

void TDataLink::SetReadOnly(bool readOnly) {
  if (readOnly_ == readOnly) return;
  readOnly_ = readOnly;
  UpdateState();
}

void TDataLink::SetBufferCount(int count) {
  count = std::max(1, count);
  if (bufferCount_ == count) return;
  bufferCount_ = count;
  if (TDataSet* dataSet = DataSet()) {
    AdjustRange(0);
    dataSet->UpdateBufferCount();
    AdjustRange(0);
  }
}

int TDataLink::RecordCount() const {
  if (!active_) return 0;
  return std::clamp(DataSet()->RecordCount() - firstRecord_, 0, bufferCount_);
}

int TDataLink::ActiveRecord() const {
  return active_ ? DataSet()->ActiveRecord() - firstRecord_ : 0;
}

void TDataLink::SetActiveRecord(int index) {
  if (active_) DataSet()->SetActiveRecord(index + firstRecord_);
}

bool TDataLink::Edit() {
  if (!readOnly_ && active_) DataSet()->Edit();
  return editing_;
}

void TDataLink::UpdateRecord() {
  updating_ = true;
  try {
    UpdateData();
  } catch (...) {
    updating_ = false;
    throw;
  }
  updating_ = false;
}

void TDataLink::UpdateState() {
  TDataSet* dataSet = DataSet();
  bool active = dataSource_ && dataSource_->Enabled() && dataSet && dataSet->Active();
  SetActive(active);
  bool editing =
      active && !readOnly_ &&
      (dataSet->State() == DataSetState::kEdit || dataSet->State() == DataSetState::kInsert);
  SetEditing(editing);
}

void TDataLink::SetActive(bool active) {
  if (active_ == active) return;
  active_ = active;
  firstRecord_ = 0;
  if (active_) AdjustRange(0);
  ActiveChanged();
}

void TDataLink::SetEditing(bool editing) {
  if (editing_ == editing) return;
  editing_ = editing;
  EditingChanged();
}

// The window moved by `shift` buffer positions; the link's own view follows
// only as far as needed to keep the active record inside it. Answers how far
// the view moved.
int TDataLink::AdjustRange(long shift) {
  TDataSet* dataSet = DataSet();
  int active = dataSet->ActiveRecord();
  int first = firstRecord_ + static_cast<int>(shift);
  int last = first + bufferCount_ - 1;
  int count = 0;
  if (active > last)
    count = active - last;
  else if (active < first)
    count = active - first;
  firstRecord_ = std::max(0, first + count);
  return count;
}

void TDataLink::Notify(DataEvent event, int distance, TField* field) {
  if (event == DataEvent::kUpdateState) {
    UpdateState();
    return;
  }
  if (!active_) return;
  switch (event) {
    case DataEvent::kDataSetChange:
      AdjustRange(distance);
      DataSetChanged();
      break;
    case DataEvent::kDataSetScroll:
      DataSetScrolled(AdjustRange(distance));
      break;
    case DataEvent::kLayoutChange:
      AdjustRange(distance);
      LayoutChanged();
      break;
    case DataEvent::kRecordChange:
      if (!updating_) RecordChanged(field);
      break;
    case DataEvent::kUpdateRecord:
      UpdateRecord();
      break;
    case DataEvent::kCheckBrowseMode:
      CheckBrowseMode();
      break;
    case DataEvent::kFocusControl:
      FocusControl(field);
      break;
    case DataEvent::kUpdateState:
      break;
  }
}

}  // namespace data
