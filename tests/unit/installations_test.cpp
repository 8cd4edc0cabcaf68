// Finding registered HALCON installations: the order of version names and the records read.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <stdexcept>

#include "common/messages.h"
#include "halcon/installations.h"

namespace Velotrax {
namespace {

using Names = std::vector<std::u16string>;

TEST(MatchingVersions, AnExactNameComesFirst) {
  EXPECT_EQ(matchingVersions({u"12.0", u"13.0.1", u"13.0"}, u"13.0"), (Names{u"13.0", u"13.0.1"}));
}

TEST(MatchingVersions, APrefixKeepsTheEnumerationOrder) {
  EXPECT_EQ(matchingVersions({u"13.0.1", u"13.0"}, u"13"), (Names{u"13.0.1", u"13.0"}));
  EXPECT_EQ(matchingVersions({u"18.11-Steady", u"12.0", u"1", u"13.0"}, u"1"),
            (Names{u"1", u"18.11-Steady", u"12.0", u"13.0"}));
  EXPECT_EQ(matchingVersions({u"18.11-Steady"}, u"18.11"), (Names{u"18.11-Steady"}));
}

TEST(MatchingVersions, ShorterAndOtherNamesAreDropped) {
  EXPECT_EQ(matchingVersions({u"13.0", u"13", u"12.0.13.0"}, u"13.0.1"), Names{});
  EXPECT_EQ(matchingVersions({u"12.0", u"13.0"}, u"20.05"), Names{});
  EXPECT_EQ(matchingVersions({}, u"13.0"), Names{});
}

TEST(MatchingVersions, TheReorderIsStable) {
  EXPECT_EQ(matchingVersions({u"13.0.2", u"13.0", u"13.0.1", u"13.0"}, u"13.0"),
            (Names{u"13.0", u"13.0", u"13.0.2", u"13.0.1"}));
}

class FindInstallations : public testing::Test {
 protected:
  void SetUp() override { enableConsoleMode(); }
  void TearDown() override { ::unsetenv("VELOTRAX_REGISTRY"); }

  void registry(const std::string& sections) {
    const std::string path = testing::TempDir() + "installations_" +
                             testing::UnitTest::GetInstance()->current_test_info()->name() + ".reg";
    std::ofstream(path) << "Windows Registry Editor Version 5.00\n\n" << sections;
    ::setenv("VELOTRAX_REGISTRY", path.c_str(), 1);
  }
  static std::string installation(const std::string& version, const std::string& root) {
    return "[HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\MVTec\\HALCON\\" + version +
           "\\Initialized]\n\"InstallDir\"=\"" + root + "\"\n\"Architecture\"=\"x64-linux\"\n" +
           "\"ExampleRoot\"=\"" + root + "/share\"\n";
  }
};

TEST_F(FindInstallations, RecordsInMatchOrder) {
  registry(installation("12.0", "/opt/h12") + installation("13.0.1", "/opt/h1301") +
           installation("13.0", "/opt/h13"));
  const std::vector<InstallationRecord> found = findInstallations("13.0");
  ASSERT_EQ(found.size(), 2u);
  EXPECT_EQ(found[0].root, "/opt/h13");
  EXPECT_EQ(found[0].architecture, "x64-linux");
  EXPECT_EQ(found[0].examplesDir, "/opt/h13/share/examples");
  EXPECT_EQ(found[0].imagesDir, "/opt/h13/share/examples/images");
  EXPECT_EQ(found[1].root, "/opt/h1301");
}

TEST_F(FindInstallations, ADamagedLaterMatchThrows) {
  registry(installation("13.0", "/opt/h13") +
           "[HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\MVTec\\HALCON\\13.0.1\\Initialized]\n"
           "\"InstallDir\"=\"/opt/h1301\"\n");
  try {
    findInstallations("13");
    FAIL() << "no exception";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "Cannot get size of string value: RegGetValue failed.");
  }
}

TEST_F(FindInstallations, AnUnreadableRegistryIsReportedAndFindsNothing) {
  ::setenv("VELOTRAX_REGISTRY", "/nonexistent.reg", 1);
  testing::internal::CaptureStderr();
  EXPECT_TRUE(findInstallations("13.0").empty());
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "Retrieving key SOFTWARE\\WOW6432Node\\MVTec\\HALCON\\ failed: RegOpenKeyEx failed.\n");
}

TEST_F(FindInstallations, AVersionThatIsNotUtf8IsABadConversion) {
  registry(installation("13.0", "/opt/h13"));
  try {
    findInstallations("13.0\xE9");
    FAIL() << "no exception";
  } catch (const std::range_error& e) {
    EXPECT_STREQ(e.what(), "bad conversion");
  }
}

}  // namespace
}  // namespace Velotrax
