#include "test_tables.h"

extern "C" {
#include <paradox.h>
}

#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace app::testing {

namespace {

constexpr int kNameLength = 20;

}  // namespace

TestDatabase::TestDatabase()
    : tables_(dir_.Sub("tables")),
      config_(dir_.Path() / "engine.cfg"),
      registry_(dir_.Path() / "registry.ini"),
      configVariable_("PDX_CONFIG", config_.string()),
      registryVariable_("VINDRAL_REGISTRY", registry_.string()) {
  dir_.Write(config_, "[Aliases]\nFOLIODB=" + tables_.string() + "\n");
  dir_.Write(registry_, "[Software\\Vindral\\Table Engine]\nDLLPATH=" ENGINE_LIBRARY_DIR "\n");
}

TestDatabase::~TestDatabase() = default;

void TestDatabase::dropAlias() {
  dir_.Write(config_, "[Aliases]\nOTHERDB=" + tables_.string() + "\n");
}

void TestDatabase::addTable(const std::string& fileName, const std::vector<std::string>& rows,
                            const std::string& password) {
  pxdoc_t* doc = PX_new();
  // pxlib owns and frees the field array and its names.
  auto* fields = static_cast<pxfield_t*>(std::malloc(sizeof(pxfield_t)));
  fields[0].px_fname = strdup("Name");
  fields[0].px_ftype = pxfAlpha;
  fields[0].px_flen = kNameLength;
  fields[0].px_fdc = 0;
  std::string path = (tables_ / fileName).string();
  if (PX_create_file(doc, fields, 1, path.c_str(), pxfFileTypNonIndexDB) < 0) {
    PX_delete(doc);
    throw std::runtime_error("pxlib cannot create " + path);
  }
  if (!password.empty()) PX_set_parameter(doc, "password", password.c_str());
  PX_set_parameter(doc, "codepage", "1252");
  for (const auto& row : rows) {
    std::string record(kNameLength, '\0');
    std::string value = row.substr(0, kNameLength);
    PX_put_data_alpha(doc, record.data(), kNameLength, value.data());
    PX_put_record(doc, record.data());
  }
  PX_close(doc);
  PX_delete(doc);
}

void addTheSixTables(TestDatabase& database) {
  database.addTable("PORTF.DB", {"Growth", "Income", "Pension"});
  database.addTable("PortfDet.db", {"Growth ACME"});
  database.addTable("SECTRANS.DB", {"Buy ACME", "Sell ACME"});
  database.addTable("ACCOUNT.DB", {"Cash"});
  database.addTable("ACCTR.DB", {"Deposit"});
  database.addTable("UPDATESH.DB", {"ACME 12.50", "ACME 12.75", "ACME 13.00", "ACME 12.90"});
}

}  // namespace app::testing
