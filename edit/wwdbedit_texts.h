// The messages of the edit controls and the search box, word for word.
#pragma once

namespace edit::texts {

inline constexpr const char* kInvalidInputValue =
    "Invalid input value.  Use escape key to abandon changes";
inline constexpr const char* kPictureMaskDefinedInTable =
    "Picture mask already defined in Paradox table. ";
inline constexpr const char* kDataSourceNotDefined = "DataSource not defined - object ";
inline constexpr const char* kDataSetNotDefined = "Dataset not defined for DataSource";
inline constexpr const char* kTTableNotSupported =
    "Incremental Search - TTable component not supported. Use TwwTable instead.";
inline constexpr const char* kIndexNotFound = ": Table index not found";

}  // namespace edit::texts
