#include "foliodb_data.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <random>

#include "paradox/field_codec.h"

namespace foliodb {
namespace {

struct Security {
  const char* ticker;
  double start_price;
  double dividend;  // per share and quarter, 0: none
};

// Made-up companies.
constexpr Security kSecurities[] = {
    {"ALDN", 42.10, 0.21}, {"BRVX", 118.00, 0},    {"CAPL", 23.75, 0.12}, {"DRMN", 67.40, 0.35},
    {"ELKO", 14.20, 0},    {"FJRD", 88.90, 0.44},  {"GLNT", 201.50, 0},   {"HVRS", 35.60, 0.18},
    {"IKTO", 9.85, 0},     {"JORV", 54.30, 0.27},  {"KALM", 76.10, 0.30}, {"LYSR", 128.40, 0},
    {"MERK", 47.25, 0.24}, {"NOVL", 19.90, 0},     {"ORTN", 61.00, 0.31}, {"PLRS", 143.70, 0.52},
    {"QUIL", 27.35, 0},    {"RHNE", 83.20, 0.40},  {"STRB", 12.60, 0},    {"TVRN", 99.95, 0.48},
    {"ULMR", 31.45, 0.15}, {"VSKA", 57.80, 0},     {"WNDL", 24.10, 0.11}, {"XERA", 175.30, 0},
    {"YMIR", 38.65, 0.19}, {"ZEPH", 66.70, 0},     {"ARKT", 15.40, 0.08}, {"BOLD", 92.15, 0.46},
    {"CRST", 44.90, 0},    {"DUNE", 71.25, 0.34},  {"EMBR", 21.80, 0},    {"FLNT", 109.60, 0.55},
    {"GRVE", 33.30, 0.16}, {"HLSN", 58.75, 0},     {"IRIS", 26.95, 0.13}, {"JADE", 81.40, 0.39},
    {"KRFT", 17.15, 0},    {"LUMA", 134.85, 0.60}, {"MOSS", 48.20, 0.23}, {"NRTH", 63.55, 0}};

constexpr const char* kOwners[] = {"Margaret Ellison",  "Tomas Berglund", "Priya Raman",
                                   "Henrik Vos",        "Claire Dubois",  "Samuel Okafor",
                                   "Ingrid Halvorsen",  "Luis Ortega",    "Akiko Tanaka",
                                   "Robert McAllister", "Fatima Haddad",  "Jan Kowalski"};
constexpr const char* kPortfolioNames[] = {"Retirement",      "College Fund",  "Long Term",
                                           "Dividend Income", "Core Holdings", "Speculative"};
constexpr const char* kStrategies[] = {"Growth", "Income", "Balanced", "Index", "Value"};
constexpr const char* kBanks[] = {"First Harbor Bank", "Northgate Savings", "Unity Credit Union",
                                  "Meridian Trust", "Lakeside Bank"};
constexpr const char* kNotes[] = {"Rebalance every quarter; at most 10% in one position.",
                                  "Reinvest dividends. Review in January.",
                                  "Conservative: keep a cash reserve of six months.",
                                  "Long horizon; tolerate drawdowns.",
                                  "Income first; prefer dividend payers.",
                                  ""};
constexpr const char* kBuyComments[] = {"Initial position", "Added on weakness",
                                        "Monthly savings plan", "Rebalancing purchase", ""};
constexpr const char* kSellComments[] = {"Trimmed after strong run", "Rebalancing sale",
                                         "Tax-loss harvest", ""};

constexpr int kDaysPerScale = 500;
constexpr int kPortfoliosPerScale = 12;
// The price history grows back in time up to this scale (10,000 trading days
// reach back to 1986; the tables' dates start in 1980). Larger scales add
// securities instead, so that UpdateSh still holds 20,000 rows per scale.
constexpr int kLongestHistoryScale = 20;

std::string Date(int64_t day) {
  int64_t year;
  int month, dom;
  pdx::CivilFromDayNumber(day, &year, &month, &dom);
  char text[16];
  std::snprintf(text, sizeof text, "%04lld-%02d-%02d", static_cast<long long>(year), month, dom);
  return text;
}

std::string Number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.17g", value);
  return text;
}

double Cents(double value) {
  return std::round(value * 100) / 100;
}
std::string Money(double value) {
  return Number(Cents(value));
}

std::string Stamp(int64_t day, int minutes) {
  char text[40];
  std::snprintf(text, sizeof text, "%s %02d:%02d:00.000", Date(day).c_str(), minutes / 60,
                minutes % 60);
  return text;
}

bool IsWeekday(int64_t day) {
  return (day - 1) % 7 < 5;
}  // day 1 was a Monday

struct Quote {
  int64_t day;
  double open, high, low, close;
  int64_t volume;
};

struct Trade {
  int portf;
  int64_t day;
  int security;
  std::string action;
  double shares, price, commission, amount;
  std::string comment;
};

class Maker {
 public:
  Maker(int scale, unsigned seed) : scale_(std::clamp(scale, 1, kMaxScale)), random_(seed) {}

  Data Make() {
    MakeSecurities();
    MakeDays();
    MakePrices();
    MakePortfolios();
    return std::move(data_);
  }

 private:
  double Uniform(double low, double high) {
    return std::uniform_real_distribution<double>(low, high)(random_);
  }
  int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }

  // The made-up companies, and beyond the longest history more of them: a
  // letter after each ticker (ALDNA, ALDNB, ...), at another price.
  void MakeSecurities() {
    const int count = scale_ <= kLongestHistoryScale ? static_cast<int>(std::size(kSecurities))
                                                     : static_cast<int>(std::size(kSecurities)) *
                                                           scale_ / kLongestHistoryScale;
    for (int i = 0; i < count; ++i) {
      const Security& base = kSecurities[i % std::size(kSecurities)];
      const int round = i / static_cast<int>(std::size(kSecurities));
      std::string ticker = base.ticker;
      if (round > 0) ticker += static_cast<char>('A' + round - 1);
      const double factor = 1 + 0.15 * round;
      securities_.push_back({ticker, base.start_price * factor, base.dividend * factor});
    }
  }

  void MakeDays() {
    // The history ends on the last trading day of 2024.
    int64_t day = pdx::DayNumberFromCivil(2024, 12, 31);
    const int history = kDaysPerScale * std::min(scale_, kLongestHistoryScale);
    while (static_cast<int>(days_.size()) < history) {
      if (IsWeekday(day)) days_.insert(days_.begin(), day);
      --day;
    }
  }

  void MakePrices() {
    std::normal_distribution<double> move(0.0003, 0.017);
    quotes_.resize(securities_.size());
    for (size_t s = 0; s < securities_.size(); ++s) {
      double close = securities_[s].start_price;
      for (int64_t day : days_) {
        double open = close * (1 + move(random_) / 4);
        close = std::max(0.5, close * std::exp(move(random_)));
        double high = std::max(open, close) * (1 + Uniform(0, 0.012));
        double low = std::min(open, close) * (1 - Uniform(0, 0.012));
        Quote q{day,        Cents(open),  Cents(high),
                Cents(low), Cents(close), static_cast<int64_t>(Uniform(20000, 2500000))};
        quotes_[s].push_back(q);
        data_.updatesh.push_back({securities_[s].ticker, Date(day), Money(q.open), Money(q.high),
                                  Money(q.low), Money(q.close), std::to_string(q.volume)});
      }
    }
  }

  void MakePortfolios() {
    const int portfolios = kPortfoliosPerScale * scale_;
    int next_account = 1000;
    for (int p = 1; p <= portfolios; ++p) {
      const char* owner = kOwners[(p - 1) % std::size(kOwners)];
      std::string name = std::string(kPortfolioNames[Pick(std::size(kPortfolioNames))]) + " " +
                         std::string(owner).substr(0, std::string(owner).find(' '));
      const int first_day = Pick(static_cast<int>(days_.size()) / 3);
      const int64_t opened = days_[first_day] - 3;
      const std::string cash = AccountNumber(next_account++);
      const std::string strategy = kStrategies[Pick(std::size(kStrategies))];
      const bool active = p % 9 != 0;
      // Holdings, trades and the cash account's entries, in date order.
      std::vector<Trade> trades = MakeTrades(p, first_day);
      double deposit = 0;
      for (const Trade& t : trades) deposit += t.action == "Buy" ? -t.amount : 0;
      deposit = std::ceil(deposit * 1.1 / 1000) * 1000;
      data_.portf.push_back({std::to_string(p), name, owner, strategy, Date(opened),
                             active ? "Y" : "N", Money(deposit * 1.5), cash,
                             kNotes[Pick(std::size(kNotes))]});
      MakeHoldings(p, trades);
      for (const Trade& t : trades)
        data_.sectrans.push_back({"", std::to_string(t.portf), Date(t.day),
                                  securities_[t.security].ticker, t.action, Number(t.shares),
                                  Money(t.price), Money(t.commission), Money(t.amount),
                                  t.day < days_.back() - 2 ? "T" : "F", t.comment});
      MakeCashAccount(p, cash, opened, deposit, trades, active);
      if (p % 3 == 0) MakeSavingsAccount(p, AccountNumber(next_account++), opened);
    }
  }

  static std::string AccountNumber(int n) {
    char text[16];
    std::snprintf(text, sizeof text, "%03d-%04d", 100 + n % 800, (n * 7919) % 10000);
    return text;
  }

  std::vector<Trade> MakeTrades(int p, int first_day) {
    std::vector<Trade> trades;
    std::vector<int> held;
    const int positions = 5 + Pick(5);
    while (static_cast<int>(held.size()) < positions) {
      int s = Pick(static_cast<int>(securities_.size()));
      if (std::find(held.begin(), held.end(), s) == held.end()) held.push_back(s);
    }
    const int span = static_cast<int>(days_.size()) - first_day;
    for (int s : held) {
      double shares = 0;
      const int buys = 1 + Pick(3 + std::min(scale_, kLongestHistoryScale));
      for (int b = 0; b < buys; ++b) {
        int d = first_day + (b == 0 ? Pick(span / 4 + 1) : Pick(span));
        const Quote& q = quotes_[s][d];
        double bought = 10.0 * (1 + Pick(30));
        double commission = Cents(Uniform(4.95, 19.95));
        trades.push_back({p, q.day, s, "Buy", bought, q.close, commission,
                          -Cents(bought * q.close + commission),
                          kBuyComments[Pick(std::size(kBuyComments))]});
        shares += bought;
      }
      std::sort(trades.begin(), trades.end(),
                [](const Trade& a, const Trade& b) { return a.day < b.day; });
      if (Pick(3) == 0) {
        // A partial sale after the last buy of this security.
        int64_t last_buy = 0;
        for (const Trade& t : trades)
          if (t.security == s) last_buy = std::max(last_buy, t.day);
        int d = static_cast<int>(std::lower_bound(days_.begin(), days_.end(), last_buy) -
                                 days_.begin());
        d = std::min<int>(static_cast<int>(days_.size()) - 1, d + 1 + Pick(40));
        const Quote& q = quotes_[s][d];
        double sold = std::floor(shares / 20) * 10;
        if (sold > 0) {
          double commission = Cents(Uniform(4.95, 19.95));
          trades.push_back({p, q.day, s, "Sell", sold, q.close, commission,
                            Cents(sold * q.close - commission),
                            kSellComments[Pick(std::size(kSellComments))]});
        }
      }
      if (securities_[s].dividend > 0) AddDividends(p, s, &trades);
    }
    std::stable_sort(trades.begin(), trades.end(),
                     [](const Trade& a, const Trade& b) { return a.day < b.day; });
    return trades;
  }

  // Quarterly dividends on the shares held on each payment day.
  void AddDividends(int p, int s, std::vector<Trade>* trades) {
    std::vector<Trade> paid;
    for (size_t d = 60; d < days_.size(); d += 63) {
      double shares = 0;
      for (const Trade& t : *trades)
        if (t.security == s && t.day <= days_[d])
          shares += t.action == "Buy" ? t.shares : t.action == "Sell" ? -t.shares : 0;
      if (shares <= 0) continue;
      paid.push_back({p, days_[d], s, "Div", 0, securities_[s].dividend, 0,
                      Cents(shares * securities_[s].dividend), "Quarterly dividend"});
    }
    trades->insert(trades->end(), paid.begin(), paid.end());
  }

  void MakeHoldings(int p, const std::vector<Trade>& trades) {
    struct Holding {
      double shares = 0, bought = 0, cost = 0;
      int64_t first = 0;
    };
    std::map<std::string, std::pair<int, Holding>> holdings;  // by ticker: key order
    for (const Trade& t : trades) {
      auto& [security, h] = holdings[securities_[t.security].ticker];
      security = t.security;
      if (t.action == "Buy") {
        h.shares += t.shares;
        h.bought += t.shares;
        h.cost += -t.amount;
        if (h.first == 0) h.first = t.day;
      } else if (t.action == "Sell") {
        h.shares -= t.shares;
      }
    }
    for (auto& [ticker, entry] : holdings) {
      auto& [security, h] = entry;
      const double last = quotes_[security].back().close;
      data_.portfdet.push_back({std::to_string(p), ticker, Number(h.shares),
                                Money(h.cost / h.bought), Date(h.first), Money(last),
                                Money(h.shares * last), Pick(2) ? "T" : "F"});
    }
  }

  void MakeCashAccount(int p, const std::string& number, int64_t opened, double deposit,
                       const std::vector<Trade>& trades, bool active) {
    std::vector<Row> entries;
    double balance = 0;
    auto add = [&](int64_t day, const std::string& text, double amount, const char* category) {
      balance = Cents(balance + amount);
      entries.push_back({number, std::to_string(entries.size() + 1), Date(day), text, Money(amount),
                         category, day < days_.back() - 5 ? "T" : "F",
                         Stamp(day, 9 * 60 + Pick(8 * 60))});
    };
    add(opened, "Opening deposit", deposit, "Deposit");
    for (const Trade& t : trades) {
      std::string ticker = securities_[t.security].ticker;
      if (t.action == "Div")
        add(t.day + 1, "Dividend " + ticker, t.amount, "Dividend");
      else
        add(t.day + 2, t.action + " " + Number(t.shares) + " " + ticker, t.amount, "Trade");
    }
    for (size_t d = 20; d < days_.size(); d += 21)
      if (days_[d] > opened && Pick(4) == 0) add(days_[d], "Account fee", -4.5, "Fee");
    data_.account.push_back({number, std::to_string(p), "Brokerage cash", "Brokerage", Date(opened),
                             Money(balance), Number(0.5), active ? "Y" : "N"});
    data_.acctr.insert(data_.acctr.end(), entries.begin(), entries.end());
  }

  void MakeSavingsAccount(int p, const std::string& number, int64_t opened) {
    const double rate = Cents(Uniform(1.0, 4.5));
    double balance = 0;
    std::vector<Row> entries;
    auto add = [&](int64_t day, const std::string& text, double amount, const char* category) {
      balance = Cents(balance + amount);
      entries.push_back({number, std::to_string(entries.size() + 1), Date(day), text, Money(amount),
                         category, "T", Stamp(day, 8 * 60 + Pick(9 * 60))});
    };
    add(opened, "Opening deposit", 1000.0 * (5 + Pick(40)), "Deposit");
    for (size_t d = 21; d < days_.size(); d += 21) {
      if (days_[d] <= opened) continue;
      add(days_[d], "Monthly interest", Cents(balance * rate / 1200), "Interest");
      const double transfer = 250.0 * (1 + Pick(4));
      if (Pick(5) == 0 && balance > transfer + 1000)
        add(days_[d] + 3, "Transfer to checking", -transfer, "Withdrawal");
    }
    data_.account.push_back({number, std::to_string(p), kBanks[Pick(std::size(kBanks))], "Savings",
                             Date(opened), Money(balance), Number(rate), "Y"});
    data_.acctr.insert(data_.acctr.end(), entries.begin(), entries.end());
  }

  struct Listed {
    std::string ticker;
    double start_price;
    double dividend;
  };

  int scale_;
  std::mt19937 random_;
  std::vector<Listed> securities_;
  std::vector<int64_t> days_;
  std::vector<std::vector<Quote>> quotes_;
  Data data_;
};

}  // namespace

Data MakeData(int scale, unsigned seed) {
  return Maker(scale, seed).Make();
}

}  // namespace foliodb
