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

// The largest scale whose tables fit the block count a table file can
// address (UpdateSh, the largest, takes about 480 blocks per scale).
inline constexpr int kMaxScale = 130;

// scale 1: 12 portfolios, 40 securities over 500 trading days (20,000
// prices); every table grows with the scale. The price history grows back in
// time up to scale 20 (10,000 trading days, from 1986); beyond it the scale
// adds securities. Scales above kMaxScale are taken as kMaxScale.
Data MakeData(int scale, unsigned seed = 1996);

}  // namespace foliodb
