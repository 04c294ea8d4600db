// The states of a data set and the notifications it sends to the controls
// attached through data sources.
#pragma once

namespace data {

enum class DataSetState { kInactive, kBrowse, kEdit, kInsert };

enum class DataEvent {
  kUpdateState,      // active state or editing state changed
  kDataSetChange,    // rows changed: re-read everything shown
  kDataSetScroll,    // the window moved; the argument is the buffer shift
  kLayoutChange,     // fields were reordered, shown or hidden
  kRecordChange,     // a field's value (or, with no field, the whole row) changed
  kUpdateRecord,     // controls write their pending input into the fields
  kCheckBrowseMode,  // a post or move is about to happen
  kFocusControl,     // move the input focus to the control showing a field
};

}  // namespace data
