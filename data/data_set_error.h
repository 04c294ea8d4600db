// The data set's failures and their texts, exactly as users see them.
#pragma once

#include <stdexcept>
#include <string>

namespace data {

class EDatabaseError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

namespace messages {
inline constexpr char kNotEditing[] = "Dataset not in edit or insert mode";
inline constexpr char kDataSetClosed[] = "Cannot perform this operation on a closed dataset";
inline constexpr char kDataSetOpen[] = "Cannot perform this operation on an open dataset";
inline constexpr char kDataSetEmpty[] = "Cannot perform this operation on an empty dataset";
inline constexpr char kDataSetReadOnly[] = "Cannot modify a read-only dataset";
inline constexpr char kFieldRequired[] = "Field '%s' must have a value";
inline constexpr char kNoTableName[] = "Missing TableName property";
inline constexpr char kRecordNotFound[] = "Record not found";
inline constexpr char kFieldReadOnly[] = "Field '%s' cannot be modified";
inline constexpr char kFieldNotFound[] = "Field '%s' not found";
inline constexpr char kInvalidValue[] = "'%s' is not a valid %s value";
inline constexpr char kFailToSetFilter[] = "Fail to set filter";
inline constexpr char kQueryNotSupported[] =
    "Running a query is not supported; clear Query to open a table";

// The message with each "%s" replaced by the next argument.
std::string Format(const char* message, const std::string& first, const std::string& second = {});
}  // namespace messages

}  // namespace data
