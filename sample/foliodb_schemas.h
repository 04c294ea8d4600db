// The six tables of the portfolio database, as schema texts (the form
// `pdx create` reads): what a small investor keeps about portfolios, their
// holdings, security transactions, cash accounts, account entries and the
// price history of the securities held.
#pragma once

namespace foliodb {

struct TableSchemaText {
  const char* name;
  const char* schema;
};

// Portfolios, one row each, numbered by the table.
inline constexpr TableSchemaText kPortf = {
    "Portf",
    "Portf No\t+*\n"
    "Name\tA30\n"
    "Owner\tA30\n"
    "Strategy\tA10\n"
    "Opened\tD\n"
    "Active\tA1\n"
    "Target Value\t$\n"
    "Cash Account\tA8\n"
    "Notes\tM60\n"
    "check Name required\n"
    "check Owner required\n"
    "check Strategy picture {Growth,Income,Balanced,Index,Value}\n"
    "check Active picture {Y,N}\n"
    "check Active default Y\n"
    "check Target Value min 0\n"
    "check Cash Account picture ###-####\n"};

// Holdings: one row per security a portfolio holds.
inline constexpr TableSchemaText kPortfDet = {"PortfDet",
                                              "Portf No\tI*\n"
                                              "Ticker\tA8*\n"
                                              "Shares\tN\n"
                                              "Avg Cost\t$\n"
                                              "Purchased\tD\n"
                                              "Last Price\t$\n"
                                              "Market Value\t$\n"
                                              "Reinvest\tL\n"
                                              "check Ticker picture &[&][&][&][&]\n"
                                              "check Ticker required\n"
                                              "check Shares min 0\n"};

// Security transactions: buys, sells and dividends, numbered by the table.
inline constexpr TableSchemaText kSectrans = {"Sectrans",
                                              "Trans No\t+*\n"
                                              "Portf No\tI\n"
                                              "Trade Date\tD\n"
                                              "Ticker\tA8\n"
                                              "Action\tA4\n"
                                              "Shares\tN\n"
                                              "Price\t$\n"
                                              "Commission\t$\n"
                                              "Amount\t$\n"
                                              "Settled\tL\n"
                                              "Comments\tM40\n"
                                              "check Portf No required\n"
                                              "check Trade Date required\n"
                                              "check Trade Date min 1980-01-01\n"
                                              "check Ticker picture &[&][&][&][&]\n"
                                              "check Action picture {Buy,Sell,Div}\n"
                                              "check Shares min 0\n"
                                              "check Commission min 0\n"
                                              "check Commission max 500\n"};

// Cash accounts, at a bank or the broker.
inline constexpr TableSchemaText kAccount = {
    "Account",
    "Account No\tA8*\n"
    "Portf No\tI\n"
    "Bank\tA24\n"
    "Account Type\tA10\n"
    "Opened\tD\n"
    "Balance\t$\n"
    "Interest Rate\tN\n"
    "Active\tA1\n"
    "check Account No picture ###-####\n"
    "check Account No required\n"
    "check Account Type picture {Brokerage,Savings,Checking}\n"
    "check Interest Rate min 0\n"
    "check Interest Rate max 25\n"
    "check Active picture {Y,N}\n"
    "check Active default Y\n"};

// Entries of the cash accounts, numbered within each account.
inline constexpr TableSchemaText kAcctr = {"Acctr",
                                           "Account No\tA8*\n"
                                           "Entry No\tI*\n"
                                           "Entry Date\tD\n"
                                           "Description\tA40\n"
                                           "Amount\t$\n"
                                           "Category\tA10\n"
                                           "Cleared\tL\n"
                                           "Posted At\t@\n"
                                           "check Account No picture ###-####\n"
                                           "check Entry Date required\n"
                                           "check Amount required\n"
                                           "check Category picture "
                                           "{Deposit,Withdrawal,Trade,Dividend,Interest,Fee}\n"};

// Daily prices of every security, the history the holdings are valued by.
inline constexpr TableSchemaText kUpdateSh = {"UpdateSh",
                                              "Ticker\tA8*\n"
                                              "Quote Date\tD*\n"
                                              "Open\t$\n"
                                              "High\t$\n"
                                              "Low\t$\n"
                                              "Close\t$\n"
                                              "Volume\tI\n"
                                              "check Ticker picture &[&][&][&][&]\n"
                                              "check Close required\n"
                                              "check Close min 0\n"
                                              "check Volume min 0\n"};

}  // namespace foliodb
