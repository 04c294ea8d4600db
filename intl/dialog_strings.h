// The captions, hints and messages of the component set's dialogs, grouped as
// the global strings object publishes them. Each group is a plain value: the
// strings object owns one of each, and assigning a group copies its values.
// Qt-free: the data layer reads its messages.
#pragma once

#include <string>

namespace intl {

struct TwwUserMessagesIntl {
  std::string wwDBGridDiscardChanges = "Discard changes to this record?";
  // The field's display name is appended.
  std::string PictureValidateError = "Invalid characters. Field : ";
  std::string LocateNoMatches = "No matches found";
  std::string LocateNoMoreMatches = "No more matches found";
  std::string MemoChangesWarning = "Changes have been made!  Are you sure you wish to cancel?";
  std::string RichEditExitWarning = "Changes have been made!  Do you wish to save your changes?";
  std::string RichEditClearWarning = "Clear entire text?";
  std::string FilterDlgNoCriteria = "You have not selected any search criteria";
  std::string RecordViewExitWarning = "Changes have been made!  Do you wish to save your changes?";
  friend bool operator==(const TwwUserMessagesIntl&, const TwwUserMessagesIntl&) = default;
};

struct TwwLocateDialogIntl {
  std::string FieldValueLabel = "Field &Value";
  std::string SearchTypeLabel = "&Search Type";
  std::string CaseSensitiveLabel = "&Case-sensitive";
  std::string MatchExactLabel = "&Exact Match";
  std::string MatchStartLabel = "&Partial Match at Beginning";
  std::string MatchAnyLabel = "Partial Match &Anywhere";
  std::string FieldsLabel = "&Fields";
  std::string BtnFirst = "Fi&rst";
  std::string BtnNext = "&Next";
  std::string BtnCancel = "Cancel";
  std::string FieldValueHint = "Enter field's search value";
  std::string CaseSensitiveHint = "Searching is case-sensitive";
  std::string MatchExactHint = "Match occurs only if there is an exact match";
  std::string MatchStartHint = "Match occurs if the start of the field's value matches";
  std::string MatchAnyHint = "Match occurs if any part of the field matches";
  std::string BtnFirstHint = "Find first match";
  std::string BtnNextHint = "Find next match from current record";
  std::string FieldNameHint = "Select the field to search on";
  friend bool operator==(const TwwLocateDialogIntl&, const TwwLocateDialogIntl&) = default;
};

struct TwwSearchDialogIntl {
  std::string SearchCharLabel = "&Search Characters";
  std::string SearchCharShortLabel = "&Search Char";
  std::string SearchByLabel = "Search &By";
  std::string StatusRecLabel = "Rec #";
  std::string StatusOfLabel = "of";
  std::string SearchCharHint = "Enter characters for incremental search";
  std::string SearchByHint = "Incremental searching and sorting order";
  friend bool operator==(const TwwSearchDialogIntl&, const TwwSearchDialogIntl&) = default;
};

struct TwwFilterDialogIntl {
  std::string BtnViewSummary = "View Su&mmary";
  std::string BtnViewSummaryHint = "View a summary of every search criterion";
  std::string ViewSummaryNotText = "NOT";
  std::string BtnNewSearch = "New &Search";
  std::string BtnNewSearchHint = "Clear every search criterion and start again";
  std::string FieldOrderLabel = "Field Order";
  std::string FieldOrderHint = "Sort field list alphabetically or in their natural logical order";
  std::string AlphabeticLabel = "&Alphabetic";
  std::string LogicalLabel = "&Logical";
  std::string AllFieldsLabel = "All Fields";
  std::string SearchedFieldsLabel = "Searched Fields";
  std::string StartingRangeLabel = "S&tarting Range";
  std::string EndingRangeLabel = "E&nding Range";
  std::string StartingRangeHint = "Enter the lowest value of the range";
  std::string EndingRangeHint = "Enter the highest value of the range";
  std::string BtnClearMin = "Clear";
  std::string BtnClearMax = "Clear";
  std::string BtnClearFilterValue = "Clear";
  std::string BtnClearMinHint = "Clear the starting range value";
  std::string BtnClearMaxHint = "Clear the ending range value";
  std::string BtnClearFilterValueHint = "Clear the search value";
  std::string ByValueLabel = "By &Value";
  std::string ByRangeLabel = "By &Range";
  std::string FieldValueLabel = "Field &Value";
  std::string FieldValueHint = "Enter field's search value";
  std::string SearchTypeLabel = "&Search Type";
  std::string SearchTypeHint = "Choose how the field's value must match";
  std::string MatchExactLabel = "&Exact Match";
  std::string MatchStartLabel = "&Partial Match at Beginning";
  std::string MatchAnyLabel = "Partial Match &Anywhere";
  std::string CaseSensitiveLabel = "&Case-sensitive";
  std::string CaseSensitiveHint = "Searching is case-sensitive";
  std::string NonMatchingLabel = "Non-&matching Records";
  std::string NonMatchingHint = "Show the records that do not match the criteria";
  std::string SummaryFieldLabel = "Field";
  std::string SummarySearchLabel = "Search";
  std::string SummaryValueLabel = "Value";
  std::string FieldsLabel = "&Fields";
  std::string ValueRangeTabHint = "Search by a value or by a range of values";
  std::string AllSearchedTabHint = "Show all fields or only the searched fields";
  friend bool operator==(const TwwFilterDialogIntl&, const TwwFilterDialogIntl&) = default;
};

}  // namespace intl
