// Joins one data set to the controls attached to it: every notification of
// the data set reaches each attached link.
#pragma once

#include <vector>

#include "data_events.h"

namespace data {

class TDataLink;
class TDataSet;
class TField;

class TwwDataSource {
 public:
  TwwDataSource() = default;
  ~TwwDataSource();
  TwwDataSource(const TwwDataSource&) = delete;
  TwwDataSource& operator=(const TwwDataSource&) = delete;

  TDataSet* DataSet() const { return dataSet_; }
  void SetDataSet(TDataSet* dataSet);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  DataSetState State() const;

  const std::vector<TDataLink*>& Links() const { return links_; }

  // Called by the data set.
  void Notify(DataEvent event, int distance, TField* field);

 private:
  friend class TDataLink;
  friend class TDataSet;
  void AddLink(TDataLink* link);
  void RemoveLink(TDataLink* link);
  void UpdateLinkStates();

  TDataSet* dataSet_ = nullptr;
  bool enabled_ = true;
  std::vector<TDataLink*> links_;
};

}  // namespace data
