// Strict UTF-8 / UTF-16 conversion.
#include <gtest/gtest.h>

#include <stdexcept>

#include "os/utf16.h"

namespace Velotrax::os {
namespace {

TEST(Utf16, RoundTripsEveryPlane) {
  const std::string text = "13.0 \xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80";  // é € 😀
  const std::u16string wide = utf8ToUtf16(text);
  EXPECT_EQ(wide, u"13.0 \u00E9\u20AC\U0001F600");
  EXPECT_EQ(utf16ToUtf8(wide), text);
  EXPECT_EQ(utf8ToUtf16(""), u"");
  EXPECT_EQ(utf8ToUtf16(std::string("a\0b", 3)), std::u16string(u"a\0b", 3));
}

TEST(Utf16, MalformedUtf8IsABadConversion) {
  for (const char* bad : {"\xFF", "\xE9t\xE9", "\xC3", "\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80",
                          "\xF4\x90\x80\x80", "\xF8\x88\x80\x80\x80", "\x80"}) {
    try {
      utf8ToUtf16(bad);
      ADD_FAILURE() << "accepted " << testing::PrintToString(std::string(bad));
    } catch (const std::range_error& e) {
      EXPECT_STREQ(e.what(), "bad conversion");
    }
  }
}

TEST(Utf16, UnpairedSurrogatesAreABadConversion) {
  EXPECT_THROW(utf16ToUtf8(std::u16string(1, char16_t(0xD800))), std::range_error);
  EXPECT_THROW(utf16ToUtf8(std::u16string{char16_t(0xDC00), u'a'}), std::range_error);
  EXPECT_THROW(utf16ToUtf8(std::u16string{char16_t(0xD83D), u'a'}), std::range_error);
}

}  // namespace
}  // namespace Velotrax::os
