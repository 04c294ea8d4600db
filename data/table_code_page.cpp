#include "table_code_page.h"

#include <cctype>

namespace data {
namespace {

struct SortOrder {
  const char* name;
  int code;
  int codePage;
};

// The sort orders a table may name, with the code its header byte 0x29
// carries and the code page of its text. ROMAN8 is given the number 1051,
// under which the codec finds the C library's HP Roman-8.
constexpr SortOrder kSortOrders[] = {
    // The table's own sort orders of level 3 come first: where codes
    // collide, these are the ones a level 3 table means.
    {"ascii", 0x00, 850},
    {"cyrr", 0xC0, 866},
    {"czech", 0x0D, 852},
    {"cskamen", 0xE2, 867},
    {"SPANISH", 0x16, 437},
    {"grcp437", 0x4A, 737},
    {"hebrew", 0x7D, 862},
    {"hun852dc", 0xB1, 852},
    {"intl", 0xB7, 437},
    {"intl850", 0x54, 850},
    {"iceland", 0xD0, 861},
    {"nordan", 0x82, 865},
    {"nordan40", 0xE6, 865},
    {"polish", 0x8F, 852},
    {"slovene", 0xFC, 852},
    {"swedfin", 0xF0, 437},
    {"thai", 0xA6, 437},
    {"turk", 0xC6, 857},
    {"db866ru0", 0x81, 866},
    {"db437gr0", 0x6D, 737},
    {"db852hdc", 0x94, 852},
    {"db852po0", 0x74, 852},
    {"db852sl0", 0x74, 852},
    {"db437th0", 0x70, 437},
    {"dbHebrew", 0x23, 862},
    // DOS drivers of later levels.
    {"DB852CZ0", 0xF2, 852},
    {"DB867CZ0", 0xF8, 867},
    {"DB865DA0", 0xDE, 865},
    {"DB437DE0", 0xDD, 437},
    {"DB850DE0", 0xDC, 850},
    {"DB437UK0", 0xF4, 437},
    {"DB850UK0", 0xF3, 850},
    {"DB437US0", 0xFC, 437},
    {"DB850US0", 0xFB, 850},
    {"DB437ES1", 0xED, 437},
    {"DB850ES0", 0xEB, 850},
    {"DB437FI0", 0xE3, 437},
    {"DB437FR0", 0xEC, 437},
    {"DB850FR0", 0xEB, 850},
    {"DB850CF0", 0xDC, 850},
    {"DB863CF1", 0xE1, 863},
    {"DB437IT0", 0xF1, 437},
    {"DB850IT1", 0xF1, 850},
    {"DB437NL0", 0xEE, 437},
    {"DB850NL0", 0xED, 850},
    {"DB865NO0", 0xF6, 865},
    {"DB850PT0", 0xF7, 850},
    {"DB860PT0", 0xF8, 860},
    {"DB437SV0", 0xFD, 437},
    {"DB850SV1", 0xFD, 850},
    {"DB857TR0", 0x00, 857},
    {"ORAWE850", 0x1B, 850},
    {"SYDC437", 0xD1, 437},
    {"SYDC850", 0xD0, 850},
    // Windows drivers: level 4 and later, which name them.
    {"DBWINUS0", 0x4C, 1252},
    {"BLLT1DA0", 0x14, 1252},
    {"BLLT1DE0", 0x18, 1252},
    {"BLLT1UK0", 0x2F, 1252},
    {"BLLT1US0", 0x37, 1252},
    {"BLLT1ES0", 0x27, 1252},
    {"BLLT1FI0", 0x1E, 1252},
    {"BLLT1FR0", 0x27, 1252},
    {"BLLT1CA0", 0x13, 1252},
    {"BLLT1IS0", 0x2B, 1252},
    {"BLLT1IT0", 0x2C, 1252},
    {"BLLT1NL0", 0x29, 1252},
    {"BLLT1NO0", 0x2C, 1252},
    {"BLLT1PT0", 0x33, 1252},
    {"BLLT1SV0", 0x38, 1252},
    {"ANHEBREW", 0x4C, 1255},
    {"ancyrr", 0x8F, 1251},
    {"anczech", 0xDC, 1250},
    {"angreek1", 0x0E, 1253},
    {"anhundc", 0xE1, 1250},
    {"ANSIINTL", 0x62, 1252},
    {"ANSII850", 0x11, 1252},
    {"ANSINOR4", 0x4E, 1252},
    {"anpolish", 0x5E, 1250},
    {"ansislov", 0x6F, 1250},
    {"ANSISPAN", 0x5D, 1252},
    {"ANSISWFN", 0x69, 1252},
    {"anthai", 0x75, 1252},
    {"ANTURK", 0xD5, 1254},
    {"DBWINES0", 0x3C, 1252},
    {"DBWINWE0", 0x40, 1252},
    {"BLROM800", 0x14, 1051},
};

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

bool IsWindowsPage(int codePage) {
  return codePage >= 1250 && codePage <= 1258;
}

}  // namespace

int SortOrderCodePageByName(std::string_view name) {
  for (const SortOrder& order : kSortOrders)
    if (SameName(order.name, name)) return order.codePage;
  return 0;
}

int SortOrderCodePageByCode(int code) {
  // Code 0 is both "ascii" and what writers leave when they set none; a
  // level 3 table comes from DOS, so Windows drivers never match.
  if (code == 0) return 0;
  for (const SortOrder& order : kSortOrders)
    if (order.code == code && !IsWindowsPage(order.codePage)) return order.codePage;
  return 0;
}

int TableCodePage(const TableTextFacts& facts) {
  if (facts.configuredCodePage > 0) return facts.configuredCodePage;
  if (facts.headerCodePage > 0) return facts.headerCodePage;
  const int byOrder = facts.level < 40 ? SortOrderCodePageByCode(facts.sortOrderCode)
                                       : SortOrderCodePageByName(facts.sortOrderName);
  return byOrder > 0 ? byOrder : 437;
}

}  // namespace data
