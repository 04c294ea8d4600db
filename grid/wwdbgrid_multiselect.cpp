// Marking records in a grid with dgMultiSelect: the list of marked records'
// bookmarks, and the clicks and keys that mark them.
#include <QKeyEvent>
#include <algorithm>
#include <stdexcept>

#include "data/data_set.h"
#include "grid/wwdbgrid.h"

namespace grid {

bool TwwDBGrid::BookmarkOrder::operator()(const data::Bookmark& a, const data::Bookmark& b) const {
  try {
    return grid->DataLink().DataSet()->CompareBookmarks(a, b) < 0;
  } catch (const std::exception&) {
    // A mark whose record was deleted elsewhere can no longer be placed;
    // it is kept apart by its bytes rather than failing every paint.
    return a < b;
  }
}

bool TwwDBGrid::SameRecord(const data::Bookmark& a, const data::Bookmark& b) {
  const BookmarkOrder less{this};
  return !less(a, b) && !less(b, a);
}

bool TwwDBGrid::Mark(const data::Bookmark& bookmark, bool selecting, bool ask) {
  // A new record not yet posted has no bookmark and cannot be marked.
  if (bookmark.empty() || selectedSet_.count(bookmark) == (selecting ? 1u : 0u)) return false;
  bool accept = true;
  if (ask && OnMultiSelectRecord) OnMultiSelectRecord(*this, selecting, accept);
  if (!accept) return false;
  if (selecting) {
    selectedSet_.insert(bookmark);
    selectedList_.push_back(bookmark);
  } else {
    selectedSet_.erase(bookmark);
    selectedList_.erase(
        std::find_if(selectedList_.begin(), selectedList_.end(),
                     [&](const data::Bookmark& marked) { return SameRecord(marked, bookmark); }));
  }
  update();
  return true;
}

bool TwwDBGrid::IsSelectedRecord() {
  data::TDataSet* dataSet = DataLink().DataSet();
  return dataSet && DataLink().Active() && selectedSet_.count(dataSet->GetBookmark()) > 0;
}

bool TwwDBGrid::RecordMarked() {
  // The link points the data set at the row being painted.
  return !selectedSet_.empty() && selectedSet_.count(DataLink().DataSet()->GetBookmark()) > 0;
}

void TwwDBGrid::SelectRecord() {
  if (DataLink().Active()) Mark(DataLink().DataSet()->GetBookmark(), true);
}

void TwwDBGrid::UnselectRecord() {
  if (DataLink().Active()) Mark(DataLink().DataSet()->GetBookmark(), false);
}

void TwwDBGrid::BeforeDeleteRecord() {
  // Not the handler's to refuse: the record goes whatever it answers.
  if (DataLink().Active()) Mark(DataLink().DataSet()->GetBookmark(), false, false);
}

void TwwDBGrid::UnselectAll() {
  if (selectedList_.empty()) return;
  selectedList_.clear();
  selectedSet_.clear();
  update();
}

void TwwDBGrid::SelectRange(const data::Bookmark& from) {
  data::TDataSet* dataSet = DataLink().DataSet();
  const data::Bookmark to = dataSet->GetBookmark();
  if (from.empty() || to.empty() || !dataSet->BookmarkValid(from)) return;
  const bool forward = dataSet->CompareBookmarks(from, to) <= 0;
  // The walk costs what the range holds; the screen follows only its end.
  dataSet->DisableControls();
  try {
    dataSet->GotoBookmark(from);
    for (;;) {
      const data::Bookmark here = dataSet->GetBookmark();
      Mark(here, true);
      if (SameRecord(here, to) || (forward ? dataSet->Eof() : dataSet->Bof())) break;
      if (forward)
        dataSet->Next();
      else
        dataSet->Prior();
      if (forward ? dataSet->Eof() : dataSet->Bof()) break;
    }
    dataSet->GotoBookmark(to);
  } catch (...) {
    dataSet->EnableControls();
    throw;
  }
  dataSet->EnableControls();
}

void TwwDBGrid::MultiSelectClick(Qt::KeyboardModifiers modifiers, const data::Bookmark& from) {
  if (modifiers & Qt::ControlModifier) {
    if (IsSelectedRecord())
      UnselectRecord();
    else
      SelectRecord();
  } else if ((modifiers & Qt::ShiftModifier) &&
             MultiSelectOptions.count(TwwMultiSelectOption::msoShiftSelect)) {
    SelectRange(from);
  } else if (MultiSelectOptions.count(TwwMultiSelectOption::msoAutoUnselect)) {
    UnselectAll();
  }
}

bool TwwDBGrid::MultiSelectKey(QKeyEvent& event) {
  const Qt::KeyboardModifiers mods = event.modifiers();
  if (event.key() == Qt::Key_Space && (mods & Qt::ControlModifier)) {
    if (IsSelectedRecord())
      UnselectRecord();
    else
      SelectRecord();
    return true;
  }
  const bool up = event.key() == Qt::Key_Up;
  if ((up || event.key() == Qt::Key_Down) && (mods & Qt::ShiftModifier) &&
      !(mods & Qt::ControlModifier) &&
      MultiSelectOptions.count(TwwMultiSelectOption::msoShiftSelect)) {
    SelectRecord();
    // Never appends: a new record has nothing to mark.
    if (up)
      MoveToPriorRecord();
    else
      MoveToNextRecord(false);
    SelectRecord();
    return true;
  }
  return false;
}

}  // namespace grid
