// UTF-8 / UTF-16 conversion: strict both ways, and replacing for names the system hands over.
#include <gtest/gtest.h>

#include "os/utf16.h"

namespace Velotrax::os {
namespace {

TEST(Utf16, RoundTripsEveryPlane) {
  const std::string text = "13.0 \xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80";  // é € 😀
  const std::u16string wide = u"13.0 \u00E9\u20AC\U0001F600";
  EXPECT_EQ(utf8ToUtf16(text), wide);
  EXPECT_EQ(utf16ToUtf8(wide), text);
  EXPECT_EQ(utf16ToUtf8Replacing(wide), text);
  EXPECT_EQ(utf8ToUtf16(""), u"");
  EXPECT_EQ(utf8ToUtf16(std::string("a\0b", 3)), std::u16string(u"a\0b", 3));
}

TEST(Utf16, MalformedUtf8ConvertsToNothing) {
  for (const char* bad : {"\xFF", "\xE9t\xE9", "\xC3", "\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80",
                          "\xF4\x90\x80\x80", "\xF8\x88\x80\x80\x80", "\x80"})
    EXPECT_EQ(utf8ToUtf16(bad), std::nullopt) << testing::PrintToString(std::string(bad));
}

// A strict conversion refuses an unpaired surrogate; the replacing one puts U+FFFD in its place,
// as Windows' own conversion does, and keeps the rest.
TEST(Utf16, UnpairedSurrogates) {
  const std::string replacement = "\xEF\xBF\xBD";
  const struct {
    std::u16string text;
    std::string replaced;
  } cases[] = {
      {std::u16string(1, char16_t(0xD800)), replacement},
      {std::u16string{char16_t(0xDC00), u'a'}, replacement + "a"},
      {std::u16string{char16_t(0xD83D), u'a'}, replacement + "a"},
      {std::u16string{u'a', char16_t(0xDE00), char16_t(0xD83D), char16_t(0xDE00)},
       "a" + replacement + "\xF0\x9F\x98\x80"},
  };
  for (const auto& [text, replaced] : cases) {
    EXPECT_EQ(utf16ToUtf8(text), std::nullopt) << replaced;
    EXPECT_EQ(utf16ToUtf8Replacing(text), replaced);
  }
}

}  // namespace
}  // namespace Velotrax::os
