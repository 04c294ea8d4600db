#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <memory>

#include "foliodb_data.h"
#include "foliodb_schemas.h"
#include "paradox/file_system.h"
#include "paradox/pdx_codes.h"
#include "paradox/table.h"
#include "paradox/table_check.h"

namespace foliodb {
namespace {

// The database the build wrote is sound: every table passes the full check
// that `pdx check` runs, and holds the rows the generator made.
TEST(FolioDb, TheBuiltTablesAreSoundAndHoldEveryRow) {
  const Data data = MakeData(1);
  const std::pair<const TableSchemaText*, size_t> tables[] = {
      {&kPortf, data.portf.size()},       {&kPortfDet, data.portfdet.size()},
      {&kSectrans, data.sectrans.size()}, {&kAccount, data.account.size()},
      {&kAcctr, data.acctr.size()},       {&kUpdateSh, data.updatesh.size()}};
  for (auto [table, rows] : tables) {
    std::unique_ptr<pdx::Table> opened;
    ASSERT_EQ(pdx::Table::Open(pdx::FileSystem::Default(), FOLIODB_DIR, table->name, {}, &opened),
              PDX_OK)
        << table->name;
    std::vector<std::string> problems;
    ASSERT_EQ(pdx::CheckTable(pdx::FileSystem::Default(), opened.get(), &problems), PDX_OK);
    for (const std::string& problem : problems) ADD_FAILURE() << table->name << ": " << problem;
    EXPECT_EQ(opened->header().record_count, rows) << table->name;
    EXPECT_GT(rows, 0u) << table->name;
  }
  EXPECT_GE(data.updatesh.size(), 20000u);
}

TEST(FolioDb, HoldingsAndBalancesAddUpFromTheirTransactions) {
  const Data data = MakeData(1);
  // Portf No, Ticker -> shares bought less sold (Sectrans: 1 Portf No,
  // 3 Ticker, 4 Action, 5 Shares).
  std::map<std::pair<std::string, std::string>, double> shares;
  for (const Row& t : data.sectrans) {
    if (t[4] == "Buy") shares[{t[1], t[3]}] += std::stod(t[5]);
    if (t[4] == "Sell") shares[{t[1], t[3]}] -= std::stod(t[5]);
  }
  ASSERT_EQ(data.portfdet.size(), shares.size());
  for (const Row& h : data.portfdet) EXPECT_DOUBLE_EQ(std::stod(h[2]), (shares[{h[0], h[1]}]));
  // Account No -> sum of its entries (Acctr: 0 Account No, 4 Amount).
  std::map<std::string, double> balances;
  for (const Row& e : data.acctr) balances[e[0]] += std::stod(e[4]);
  for (const Row& a : data.account) {
    EXPECT_NEAR(std::stod(a[5]), balances[a[0]], 0.005) << a[0];
    EXPECT_GE(std::stod(a[5]), 0) << a[0];
  }
  // Every portfolio's cash account exists.
  for (const Row& p : data.portf) {
    EXPECT_TRUE(balances.count(p[7])) << p[7];
  }
}

TEST(FolioDb, TheScaleMakesEveryTableLarger) {
  const Data one = MakeData(1), three = MakeData(3);
  EXPECT_GT(three.portf.size(), one.portf.size());
  EXPECT_GT(three.portfdet.size(), one.portfdet.size());
  EXPECT_GT(three.sectrans.size(), one.sectrans.size());
  EXPECT_GT(three.account.size(), one.account.size());
  EXPECT_GT(three.acctr.size(), one.acctr.size());
  EXPECT_EQ(three.updatesh.size(), 3 * one.updatesh.size());
}

}  // namespace
}  // namespace foliodb
