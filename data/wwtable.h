// The table data set of the component set: a table data set that adds
// picture masks per field (its own list, and the pictures of the Paradox
// table's validity checks), validation of every field against its mask before
// a post, filter expressions and a row-by-row filter event, narrow-search
// settings, a query text, and per-field lists that the controls read by
// property name.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "data_set.h"
#include "filter_expression.h"

namespace data {

enum class TTableType { ttDefault, ttParadox, ttDBase, ttASCII };

struct TwwOnFilterOptions {
  bool ofoEnabled = true;
  bool ofoShowHourGlass = true;
  bool ofoCancelOnEscape = false;
  bool operator==(const TwwOnFilterOptions&) const = default;
};

// A field's mask and the two flags of its PictureMasks line.
struct TwwFieldMask {
  std::string mask;
  bool autoFill = true;
  bool usePictureMaskInGrid = true;
};

class TwwTable : public TDataSet {
 public:
  TwwTable();
  ~TwwTable() override;

  std::vector<std::string> ClassNames() const override { return {"TwwTable", "TDataSet"}; }
  PropertyValue ReadProperty(const std::string& name) const override;

  // Lists of per-field settings; LookupFields and LookupLinks are kept for the
  // controls but not interpreted here.
  std::vector<std::string> LookupFields;
  std::vector<std::string> LookupLinks;
  std::vector<std::string> ControlType;
  std::vector<std::string> PictureMasks;
  bool SyncSQLByRange = true;
  bool NarrowSearch = false;
  char NarrowSearchUpperChar = '\xFF';
  bool ValidateWithMask = true;
  TTableType TableType = TTableType::ttDefault;

  std::function<void(TwwTable&, TField&)> OnInvalidValue;
  std::function<void(TwwTable&, bool& accept)> OnFilter;
  std::function<void(TwwTable&)> OnFilterEscape;
  const TwwOnFilterOptions& OnFilterOptions() const { return filterOptions_; }
  void SetOnFilterOptions(const TwwOnFilterOptions& options);

  const std::vector<std::string>& wwFilter() const { return wwFilter_; }
  // On an open data set the new filter is installed at once; a refused one
  // shows "Fail to set filter" and leaves the rows unfiltered.
  void SetwwFilter(const std::vector<std::string>& lines);
  // The non-empty lines joined: the first as it is, each further one as
  // " AND (" line ")".
  std::string FilterText() const;

  const std::vector<std::string>& Query() const { return query_; }
  // A non-empty query closes the data set and clears TableName.
  void SetQuery(const std::vector<std::string>& lines);
  // A non-empty name clears Query; the data set must be closed.
  void SetTableName(const std::string& name) override;

  bool IsParadox() const;
  bool IsSequenced() const override;
  // The database of these tables is never SQL-based.
  bool IsSQLBased() const { return false; }

  // The mask of a field by the rules of the PictureMasks list and, when
  // useTableChecks, the table's validity-check pictures. None: no mask.
  std::optional<TwwFieldMask> FieldMask(const std::string& fieldName, bool useTableChecks);
  // Lines "name<TAB>picture" for the fields of this table with a validity
  // check, read through the engine on first use after each open.
  const std::vector<std::string>& ValidityCheckPictures();

  // The incremental search's narrowing: the rows whose first key field begins
  // with text; an empty text cancels the range.
  void NarrowToPrefix(const std::string& text);
  void CancelNarrowSearchRange();

 protected:
  void CheckCanOpen() override;
  void AfterCursorOpened() override;
  void BeforeCursorClosed() override;
  void ValidateBeforePost() override;
  bool AcceptRow(const Row& row) override;
  void AfterNotification() override;

 private:
  bool InstallFilter(bool showFailure);
  bool FilterInstalled() const { return expression_.has_value() || OnFilter != nullptr; }

  std::vector<std::string> wwFilter_;
  std::vector<std::string> query_;
  TwwOnFilterOptions filterOptions_;
  std::optional<FilterExpression> expression_;

  // The validity-check pictures and the table they were read for.
  std::vector<std::string> checkPictures_;
  std::string checkPicturesTable_;
  bool checkPicturesRead_ = false;

  bool destroying_ = false;
  bool inOnFilter_ = false;
  int filterRowCounter_ = 0;
  bool filterSetHourGlass_ = false;
};

// Whether the data set is one of the component set's own: its class or an
// ancestor is TwwTable, TwwQuery, TwwQBE, TwwStoredProc or TwwClientDataSet.
bool IsWwDataSet(const TDataSet* dataSet);

}  // namespace data
