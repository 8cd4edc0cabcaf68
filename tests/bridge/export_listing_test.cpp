// The export tables of both builds hold exactly the 50 names and the optional ones, and nothing
// else, as the system's tools list them: nm for the shared object, objdump for the DLL
// (undecorated, no @n).
#include <cstdio>
#include <memory>
#include <set>
#include <sstream>
#include <string>

#include "command_output.h"

#include "brimlet_exports.h"
#include "test_framework.h"

namespace {

std::set<std::string> exportNames() {
  std::set<std::string> names(std::begin(kBrimletExportNames), std::end(kBrimletExportNames));
  names.insert(std::begin(kBrimletOptionalExportNames), std::end(kBrimletOptionalExportNames));
  return names;
}

}  // namespace

TEST(ExportListing, SharedObjectDefinesExactlyTheListedExports) {
  std::istringstream lines(commandOutput("nm -D --defined-only '" BRIDGE_PATH "'"));
  std::multiset<std::string> defined;
  for (std::string line; std::getline(lines, line);) {
    std::istringstream fields(line);
    std::string address, type, name;
    fields >> address >> type >> name;
    defined.insert(name);
    EXPECT_EQ(type, "T");  // code, global: no data, weak or unique symbols
  }
  EXPECT_EQ(defined.size(), exportNames().size());
  EXPECT_EQ(std::set<std::string>(defined.begin(), defined.end()), exportNames());
}

#ifdef BRIDGE_DLL_PATH
TEST(ExportListing, DllExportsExactlyTheListedExports) {
  std::istringstream lines(commandOutput("x86_64-w64-mingw32-objdump -p '" BRIDGE_DLL_PATH "'"));
  std::multiset<std::string> named;
  int addresses = 0;
  bool inNameTable = false;
  for (std::string line; std::getline(lines, line);) {
    if (line.find("Export RVA") != std::string::npos) ++addresses;  // "[   0] +base[   1] ..."
    if (line.find("[Ordinal/Name Pointer] Table") != std::string::npos) {
      inNameTable = true;
    } else if (inNameTable) {
      if (line.find_first_not_of(" \t") == std::string::npos) break;
      named.insert(line.substr(line.find(']') + 2));  // "\t[   0] haddProcedurePath"
    }
  }
  EXPECT_EQ(addresses, static_cast<int>(exportNames().size()));  // none by ordinal only
  EXPECT_EQ(named.size(), exportNames().size());
  EXPECT_EQ(std::set<std::string>(named.begin(), named.end()), exportNames());
}
#endif
