#include "data_source.h"

#include <algorithm>

#include "data_link.h"
#include "data_set.h"

namespace data {

TwwDataSource::~TwwDataSource() {
  for (TDataLink* link : std::vector<TDataLink*>(links_)) link->SetDataSource(nullptr);
  if (dataSet_) dataSet_->DetachSource(this);
}

void TwwDataSource::SetDataSet(TDataSet* dataSet) {
  if (dataSet_ == dataSet) return;
  if (dataSet_) dataSet_->DetachSource(this);
  dataSet_ = dataSet;
  if (dataSet_) dataSet_->AttachSource(this);
  UpdateLinkStates();
}

void TwwDataSource::SetEnabled(bool enabled) {
  if (enabled_ == enabled) return;
  enabled_ = enabled;
  UpdateLinkStates();
}

DataSetState TwwDataSource::State() const {
  return dataSet_ && enabled_ ? dataSet_->State() : DataSetState::kInactive;
}

void TwwDataSource::Notify(DataEvent event, int distance, TField* field) {
  for (TDataLink* link : std::vector<TDataLink*>(links_)) link->Notify(event, distance, field);
}

void TwwDataSource::AddLink(TDataLink* link) {
  links_.push_back(link);
  link->UpdateState();
  if (dataSet_) dataSet_->UpdateBufferCount();
}

void TwwDataSource::RemoveLink(TDataLink* link) {
  links_.erase(std::remove(links_.begin(), links_.end(), link), links_.end());
  if (dataSet_) dataSet_->UpdateBufferCount();
}

void TwwDataSource::UpdateLinkStates() {
  for (TDataLink* link : std::vector<TDataLink*>(links_)) link->UpdateState();
}

}  // namespace data
