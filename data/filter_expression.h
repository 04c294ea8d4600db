// The filter expressions of the table data set: which rows are shown.
//
// The language, as a user types it:
//   NAME = 'Smith'            comparison of a field with a value
//   AMOUNT >= 100             operators: =  <>  <  >  <=  >=
//   BORN < '1/31/1990'        dates and times are quoted, in the locale's format
//   NAME = 'Sm*'              a trailing * matches every text that begins so
//                             (with <>: every text that does not)
//   NOTE IS BLANK             blank tests: IS BLANK, IS NOT BLANK; = '' also
//                             tests for blank
//   NOT (A = 1 OR B = 2) AND C <> 3
//                             NOT, then AND, then OR; parentheses group
//   [Last name] = 'X'         brackets or double quotes around a field name
//                             with blanks; a quoted value uses single quotes,
//                             doubled inside ('O''Brien')
//   PRICE > COST              a field may stand on either side
// Keywords and field names ignore case, and so do text comparisons. A blank
// field fails every comparison except the blank tests. Memo and blob fields
// take part only in blank tests.
#pragma once

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "field_value.h"
#include "table_cursor.h"
#include "toolkit/text_codec.h"

namespace data {

class FilterSyntaxError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class FilterExpression {
 public:
  // Turns a value text into the value of a field (raises for text that does
  // not convert); the data set gives its fields' conversion.
  using Converter = std::function<FieldValue(const FieldDef& field, const std::string& text)>;

  // Raises FilterSyntaxError for a malformed expression, an unknown field, or
  // a value that does not convert to its field's type. Text compares without
  // regard to case by the rules of caseRules (the table's codec, which must
  // outlive the expression), else of the locale settings.
  static FilterExpression Compile(const std::string& text, const std::vector<FieldDef>& fields,
                                  const Converter& convert,
                                  const toolkit::TextCodec* caseRules = nullptr);

  bool Matches(const Row& row) const;

  struct Node;

 private:
  FilterExpression(std::shared_ptr<const Node> root, const toolkit::TextCodec* caseRules)
      : root_(std::move(root)), caseRules_(caseRules) {}
  std::shared_ptr<const Node> root_;
  const toolkit::TextCodec* caseRules_;
};

}  // namespace data
