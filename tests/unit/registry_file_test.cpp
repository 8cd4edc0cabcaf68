// The registry export file that stands in for the registry on Linux: parsing, warnings, and
// the registry interface over it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "os/registry.h"
#include "os/registry_file.h"
#include "os/utf16.h"

namespace Velotrax::winreg {
namespace {

const std::string kHeader = "Windows Registry Editor Version 5.00\n";
const std::u16string kHalcon = u"HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\MVTec\\HALCON";

std::vector<std::u16string> subkeys(const FileKey* key) {
  std::vector<std::u16string> names;
  for (const auto& subkey : key->subkeys) names.push_back(subkey->name);
  return names;
}

TEST(RegistryFile, KeysEnumerateInTheOrderTheFileFirstNamesThem) {
  const RegistryFile file = parseRegistryFile(
      kHeader +
          "\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\MVTec\\HALCON\\13.0.1\\Initialized]\n"
          "\"InstallDir\"=\"/opt/halcon-13.0.1\"\n"
          "[HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\MVTec\\HALCON\\12.0]\n"
          "[hkey_local_machine\\software\\wow6432node\\mvtec\\halcon\\13.0.1\\Other]\n"
          "[HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\MVTec\\HALCON\\13.0]\n",
      "r.reg");
  EXPECT_TRUE(file.warnings.empty());
  const FileKey* halcon = findKey(file, kHalcon);
  ASSERT_TRUE(halcon);
  EXPECT_EQ(subkeys(halcon), (std::vector<std::u16string>{u"13.0.1", u"12.0", u"13.0"}));
  EXPECT_EQ(subkeys(findKey(file, kHalcon + u"\\13.0.1")),
            (std::vector<std::u16string>{u"Initialized", u"Other"}));
  EXPECT_EQ(findKey(file, kHalcon + u"\\"), halcon) << "a trailing backslash is allowed";
  EXPECT_EQ(findKey(file, u"hkey_local_machine\\Software\\WOW6432NODE\\mvtec\\Halcon"), halcon);
  EXPECT_FALSE(findKey(file, kHalcon + u"\\14.0"));
  EXPECT_FALSE(findKey(file, kHalcon + u"\\\\13.0"));
}

TEST(RegistryFile, StringsEscapesAndOtherValueTypes) {
  const RegistryFile file =
      parseRegistryFile("\xEF\xBB\xBF" + kHeader +
                            "\r\n; a comment\r\n[HKEY_LOCAL_MACHINE\\K]\r\n"
                            "\"Path\"=\"C:\\\\Program Files\\\\MVTec \\\"HALCON\\\"\"\r\n"
                            "\"Caf\xC3\xA9\"=\"\xE2\x82\xAC\"  \r\n"
                            "@=\"default\"\r\n"
                            "\"Count\"=dword:0000001a\r\n"
                            "\"Blob\"=hex:01,02,\\\r\n  03,ff\r\n"
                            "\"Expand\"=hex(2):25,00,00,00\r\n"
                            "\"path\"=\"replaced\"\r\n",
                        "r.reg");
  EXPECT_TRUE(file.warnings.empty()) << file.warnings[0];
  const FileKey* key = findKey(file, u"HKEY_LOCAL_MACHINE\\K");
  ASSERT_TRUE(key);
  EXPECT_EQ(key->value(u"PATH")->text, u"replaced") << "names ignore case; the last one wins";
  EXPECT_EQ(key->value(u"caf\u00E9")->text, u"\u20AC");
  EXPECT_EQ(key->value(u"")->text, u"default");
  EXPECT_FALSE(key->value(u"Count")->isString);
  EXPECT_FALSE(key->value(u"Blob")->isString);
  EXPECT_FALSE(key->value(u"Expand")->isString);
  EXPECT_FALSE(key->value(u"Missing"));

  const RegistryFile escapes =
      parseRegistryFile(kHeader + "[HKEY_LOCAL_MACHINE\\K]\n\"a\\\"b\"=\"\\\\\\\"\"\n", "r.reg");
  EXPECT_EQ(findKey(escapes, u"HKEY_LOCAL_MACHINE\\K")->value(u"a\"b")->text, u"\\\"");
}

TEST(RegistryFile, MalformedLinesAreNamedAndDamageTheirKey) {
  const RegistryFile file = parseRegistryFile(kHeader +
                                                  "[HKEY_LOCAL_MACHINE\\Good]\n"
                                                  "\"a\"=\"1\"\n"
                                                  "[HKEY_LOCAL_MACHINE\\Bad]\n"
                                                  "\"a\"=\"unterminated\n"
                                                  "\"b\"=\"2\"\n"
                                                  "[HKEY_LOCAL_MACHINE\\AlsoBad]\n"
                                                  "\"c\"=\"\\n\"\n"
                                                  "[HKEY_LOCAL_MACHINE\\Third]\n"
                                                  "garbage\n",
                                              "/etc/velotrax/registry.reg");
  ASSERT_EQ(file.warnings.size(), 3u);
  EXPECT_EQ(file.warnings[0],
            "warning: registry file /etc/velotrax/registry.reg line 5 is malformed (bad value); "
            "the key it belongs to cannot be opened");
  EXPECT_NE(file.warnings[1].find(" line 8 "), std::string::npos);
  EXPECT_NE(file.warnings[2].find(" line 10 "), std::string::npos);
  EXPECT_FALSE(findKey(file, u"HKEY_LOCAL_MACHINE\\Good")->damaged);
  EXPECT_TRUE(findKey(file, u"HKEY_LOCAL_MACHINE\\Bad")->damaged);
  EXPECT_TRUE(findKey(file, u"HKEY_LOCAL_MACHINE\\AlsoBad")->damaged);
  EXPECT_TRUE(findKey(file, u"HKEY_LOCAL_MACHINE\\Third")->damaged);
  EXPECT_EQ(findKey(file, u"HKEY_LOCAL_MACHINE\\Bad")->value(u"b")->text, u"2");
}

TEST(RegistryFile, EveryKindOfBrokenLineIsReported) {
  const char* broken[] = {
      "[HKEY_LOCAL_MACHINE\\K",
      "[-HKEY_LOCAL_MACHINE\\K]",
      "[HKEY_NOWHERE\\K]",
      "[HKEY_LOCAL_MACHINE\\\\K]",
      "[HKEY_LOCAL_MACHINE\\K\\]",
      "[HKEY_LOCAL_MACHINE\\\xFF]",
      "\"v\"=\"\xC3\"",
      "\"v\"",
      "\"v\"=dword:123456789",
      "\"v\"=dword:xyz",
      "\"v\"=hex:0",
      "\"v\"=hex(",
      "\"v\"=\"a\"b",
      "\"v\"=-",
      "v=\"x\"",
      "\"v\"=hex:01,\\",  // the file ends inside the value
  };
  for (const char* line : broken) {
    const RegistryFile file =
        parseRegistryFile(kHeader + "[HKEY_LOCAL_MACHINE\\Before]\n" + line + "\n", "f.reg");
    EXPECT_EQ(file.warnings.size(), 1u) << line;
  }
  const RegistryFile outside = parseRegistryFile(kHeader + "\"v\"=\"x\"\n", "f.reg");
  ASSERT_EQ(outside.warnings.size(), 1u);
  EXPECT_NE(outside.warnings[0].find("value outside a key"), std::string::npos);
}

TEST(RegistryFile, LimitsOfNamesAndDepth) {
  const std::string longName(256, 'k');
  std::string deep = "[HKEY_LOCAL_MACHINE";
  for (int i = 0; i < 513; ++i) deep += "\\k";
  std::string deepest = "[HKEY_LOCAL_MACHINE";
  for (int i = 0; i < 512; ++i) deepest += "\\k";
  EXPECT_EQ(
      parseRegistryFile(kHeader + "[HKEY_LOCAL_MACHINE\\" + longName + "]\n", "f").warnings.size(),
      1u);
  EXPECT_EQ(parseRegistryFile(kHeader + deep + "]\n", "f").warnings.size(), 1u);
  EXPECT_TRUE(parseRegistryFile(kHeader + deepest + "]\n", "f").warnings.empty());
  EXPECT_EQ(
      parseRegistryFile(
          kHeader + "[HKEY_LOCAL_MACHINE\\K]\n\"" + std::string(16384, 'v') + "\"=\"x\"\n", "f")
          .warnings.size(),
      1u);
}

TEST(RegistryFile, AFileBrokenThroughoutGetsTwentyWarningsAndASummary) {
  std::string text = kHeader + "[HKEY_LOCAL_MACHINE\\K]\n";
  for (int i = 0; i < 1000; ++i) text += "broken\n";
  const RegistryFile file = parseRegistryFile(text, "f.reg");
  ASSERT_EQ(file.warnings.size(), 21u);
  EXPECT_NE(file.warnings[19].find(" line 22 "), std::string::npos);
  EXPECT_EQ(file.warnings[20], "warning: registry file f.reg has 980 more malformed lines");
}

TEST(RegistryFile, AFileWithoutTheHeaderOpensNothing) {
  for (const std::string& text :
       {std::string(""), std::string("REGEDIT5\n[HKEY_LOCAL_MACHINE\\K]\n"),
        std::string("\0\xFF\xFE", 3), std::string("\xFE\xFF\0W", 4)}) {
    const RegistryFile file = parseRegistryFile(text, "x.reg");
    EXPECT_FALSE(file.usable);
    ASSERT_EQ(file.warnings.size(), 1u);
    EXPECT_EQ(file.warnings[0],
              "warning: registry file x.reg line 1 is malformed (expected \"Windows Registry "
              "Editor Version 5.00\" or \"REGEDIT4\"); no key can be opened");
  }
}

// The file as UTF-16LE with a byte order mark, unit by unit.
std::string utf16le(const std::u16string& text) {
  std::string bytes = "\xFF\xFE";
  for (char16_t unit : text) {
    bytes += static_cast<char>(unit & 0xFF);
    bytes += static_cast<char>(unit >> 8);
  }
  return bytes;
}

// What the registry editor writes by default, UTF-16LE, and UTF-8 with either header: the same
// keys and values, and malformed lines named by their line in the file.
TEST(RegistryFile, EveryEncodingAndHeaderTheEditorWritesIsRead) {
  const std::u16string body =
      u"\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\K]\r\n\"InstallDir\"=\"C:\\\\Caf\u00E9 "
      u"\U0001F600\"\r\n"
      u"broken\r\n";
  const std::string utf8Body = *os::utf16ToUtf8(body);
  const std::pair<std::string, std::string> files[] = {
      {"UTF-16LE", utf16le(u"Windows Registry Editor Version 5.00" + body)},
      {"UTF-8", "Windows Registry Editor Version 5.00" + utf8Body},
      {"UTF-8 with BOM",
       "\xEF\xBB\xBF"
       "Windows Registry Editor Version 5.00" +
           utf8Body},
      {"REGEDIT4", "REGEDIT4" + utf8Body},
      {"REGEDIT4 in UTF-16LE", utf16le(u"REGEDIT4" + body)},
  };
  for (const auto& [kind, text] : files) {
    const RegistryFile file = parseRegistryFile(text, "r.reg");
    EXPECT_TRUE(file.usable) << kind;
    const FileKey* key = findKey(file, u"HKEY_LOCAL_MACHINE\\SOFTWARE\\K");
    ASSERT_TRUE(key) << kind;
    ASSERT_TRUE(key->value(u"InstallDir")) << kind;
    EXPECT_EQ(key->value(u"InstallDir")->text, u"C:\\Caf\u00E9 \U0001F600") << kind;
    ASSERT_EQ(file.warnings.size(), 1u) << kind;
    EXPECT_EQ(file.warnings[0],
              "warning: registry file r.reg line 5 is malformed (neither a key nor a value); "
              "the key it belongs to cannot be opened")
        << kind;
  }
  // Text that is no UTF-16 is named by its line, down to a last byte without its partner.
  const std::string unpaired = utf16le(u"REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\K]\r\n\"a\"=\"") +
                               std::string("\x00\xD8", 2) + utf16le(u"\"\r\n").substr(2) + "\x41";
  const RegistryFile file = parseRegistryFile(unpaired, "u.reg");
  ASSERT_EQ(file.warnings.size(), 2u);
  EXPECT_EQ(file.warnings[0],
            "warning: registry file u.reg line 3 is malformed (not valid UTF-16); the key it "
            "belongs to cannot be opened");
  EXPECT_NE(file.warnings[1].find(" line 4 "), std::string::npos);
  EXPECT_TRUE(findKey(file, u"HKEY_LOCAL_MACHINE\\K")->damaged);
}

// The registry interface over a file named by VELOTRAX_REGISTRY.
class RegistryKeys : public testing::Test {
 protected:
  void use(const std::string& text) {
    path_ = testing::TempDir() + "registry_" +
            testing::UnitTest::GetInstance()->current_test_info()->name() + ".reg";
    std::ofstream(path_, std::ios::binary) << text;
    ::setenv("VELOTRAX_REGISTRY", path_.c_str(), 1);
  }
  void TearDown() override { ::unsetenv("VELOTRAX_REGISTRY"); }

  // The step and code of a registry call that must fail.
  using Failure = std::pair<std::string, long>;
  template <class T>
  static Failure failure(const os::OsResult<T>& result) {
    if (result) return {"succeeded", 0};
    return {result.failure().step, result.failure().code};
  }

  std::vector<std::string> warnings_;
  RegistryWarning warn_ = [this](const std::string& text) { warnings_.push_back(text); };
  std::string path_;
};

TEST_F(RegistryKeys, OpenEnumerateRead) {
  use(kHeader +
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\A]\n\"s\"=\"text\"\n\"n\"=dword:1\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\A\\x]\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\A\\y]\n");
  const os::OsResult<RegKey> key = RegKey::openLocalMachine(u"SOFTWARE\\A\\", warn_);
  ASSERT_TRUE(key);
  EXPECT_EQ(*key->subkeyNames(), (std::vector<std::u16string>{u"x", u"y"}));
  EXPECT_EQ(*key->stringValue(u"S"), u"text");
  EXPECT_EQ(failure(key->stringValue(u"missing")), Failure(kValueSizeStep, 2));
  EXPECT_EQ(failure(key->stringValue(u"n")), Failure(kValueSizeStep, 1630));
  EXPECT_EQ(failure(RegKey::openLocalMachine(u"SOFTWARE\\B", warn_)), Failure(kOpenKeyStep, 2));
  EXPECT_TRUE(warnings_.empty());
}

TEST_F(RegistryKeys, DamagedKeysAndFilesDoNotOpenAndWarnOnce) {
  use(kHeader + "[HKEY_LOCAL_MACHINE\\SOFTWARE\\A]\nbroken\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\B]\n");
  EXPECT_EQ(failure(RegKey::openLocalMachine(u"SOFTWARE\\A", warn_)), Failure(kOpenKeyStep, 1009));
  EXPECT_TRUE(RegKey::openLocalMachine(u"SOFTWARE\\B", warn_));
  ASSERT_EQ(warnings_.size(), 1u);
  EXPECT_EQ(warnings_[0], "warning: registry file " + path_ +
                              " line 3 is malformed (neither a key nor a value); the key it "
                              "belongs to cannot be opened");
}

TEST_F(RegistryKeys, AMissingFileIsAnEmptyRegistryAndADirectoryIsNoFile) {
  ::setenv("VELOTRAX_REGISTRY", "/nonexistent/registry.reg", 1);
  EXPECT_EQ(failure(RegKey::openLocalMachine(u"SOFTWARE", warn_)), Failure(kOpenKeyStep, 2));
  EXPECT_TRUE(warnings_.empty());
  ::setenv("VELOTRAX_REGISTRY", "/", 1);
  EXPECT_EQ(failure(RegKey::openLocalMachine(u"SOFTWARE", warn_)), Failure(kOpenKeyStep, 1009));
  ASSERT_EQ(warnings_.size(), 1u);
  EXPECT_EQ(warnings_[0], "warning: registry file / cannot be read: not a regular file");
}

}  // namespace
}  // namespace Velotrax::winreg
