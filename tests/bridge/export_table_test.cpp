// The export table: the bridge, loaded by path, resolves all 50 names, and its file is named
// after the vision library's version.
#include <set>
#include <string>
#include <vector>

#include "bridge_client.h"
#include "test_framework.h"

namespace {

std::vector<std::string> namesIn(std::initializer_list<const char*> names) {
  return {names.begin(), names.end()};
}

#define BRIDGE_TEST_NAME(name, result, parameters) #name,
const std::vector<std::string> kResolutionOrder = namesIn({BRIMLET_EXPORTS(BRIDGE_TEST_NAME)});
const std::vector<std::string> kClientOrder =
    namesIn({BRIMLET_EXPORTS_CLIENT_ORDER(BRIDGE_TEST_NAME)});
#undef BRIDGE_TEST_NAME

}  // namespace

TEST(ExportTable, LoadedByPathAllFiftyResolveByName) {
  EXPECT_EQ(resolvedExportCount(), 50);
#define BRIDGE_TEST_RESOLVED(name, result, parameters) \
  EXPECT_TRUE(reinterpret_cast<const void*>(bridge().name) != nullptr);
  BRIMLET_EXPORTS(BRIDGE_TEST_RESOLVED)
#undef BRIDGE_TEST_RESOLVED
}

TEST(ExportTable, OneListInTwoOrders) {
  ASSERT_EQ(kResolutionOrder.size(), 50u);
  EXPECT_EQ(std::set<std::string>(kResolutionOrder.begin(), kResolutionOrder.end()).size(), 50u);
  EXPECT_EQ(std::set<std::string>(kClientOrder.begin(), kClientOrder.end()),
            std::set<std::string>(kResolutionOrder.begin(), kResolutionOrder.end()));
  for (int i = 0; i < 50; ++i) EXPECT_EQ(std::string(kBrimletExportNames[i]), kResolutionOrder[i]);
  // Resolution order: 33 core entries, the 11 tuple entries, then the 6 configuration entries.
  EXPECT_EQ(kResolutionOrder.front(), "hclearErrorMsg");
  EXPECT_EQ(kResolutionOrder[33], "hcreateTuple");
  EXPECT_EQ(kResolutionOrder[44], "hsetEngineAttribute");
  EXPECT_EQ(kResolutionOrder.back(), "hsetStdErrHandler");
  // The client keeps the six configuration entries ahead of the tuple entries.
  for (int i = 0; i < 33; ++i) EXPECT_EQ(kClientOrder[i], kResolutionOrder[i]);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(kClientOrder[33 + i], kResolutionOrder[44 + i]);
  for (int i = 0; i < 11; ++i) EXPECT_EQ(kClientOrder[39 + i], kResolutionOrder[33 + i]);
}

TEST(ExportTable, FileNamedAfterTheLibraryVersion) {
  TupleHandle handle = nullptr;
  Record error(bridge().hgetsystem("version", &handle));
  ASSERT_FALSE(error);
  const Tuple version(handle);
  const std::string text = textOf(version, 0);
  // major.minor of the version the library reports, e.g. 13.0 of 13.0.1.
  const std::string majorMinor = text.substr(0, text.find('.', text.find('.') + 1));
  const std::string name = bridgeFileName();
  EXPECT_EQ(name.substr(0, name.rfind('.')), "brimlet-" + majorMinor);
}
