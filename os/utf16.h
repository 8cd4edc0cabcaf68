// Conversion between UTF-8 and UTF-16, strict in both directions: the registry speaks UTF-16,
// everything else in the runner is 8-bit text.
#pragma once

#include <string>
#include <string_view>

namespace Velotrax::os {

// Throws std::range_error("bad conversion") on malformed UTF-8 (overlong forms, surrogates,
// values above U+10FFFF, truncated sequences).
std::u16string utf8ToUtf16(std::string_view text);

// Throws std::range_error("bad conversion") on an unpaired surrogate.
std::string utf16ToUtf8(std::u16string_view text);

}  // namespace Velotrax::os
