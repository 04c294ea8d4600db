// The rows of the sample portfolio database, made up but coherent: prices
// follow a random walk per security; every holding is the sum of its
// portfolio's buys and sells at the day's closing price; every trade,
// dividend and deposit is an entry of the portfolio's cash account, whose
// balance is the sum of its entries. The same seed gives the same rows.
//
// Rows are in the dump format of the pdx tool, one text per field, in the
// tables' field order (foliodb_schemas.h); an empty text is a blank value.
#pragma once

#include <string>
#include <vector>

namespace foliodb {

using Row = std::vector<std::string>;

struct Data {
  std::vector<Row> portf, portfdet, sectrans, account, acctr, updatesh;
};

// scale 1: 12 portfolios, 40 securities over 500 trading days (20,000
// prices); every table grows with the scale.
Data MakeData(int scale, unsigned seed = 1996);

}  // namespace foliodb
