// Conversion between UTF-8 and UTF-16: the registry and Windows' file names speak UTF-16,
// everything else in the runner is 8-bit text. A pure conversion has one way to fail, malformed
// input, so the strict forms give nothing then and the caller says what was malformed.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace Velotrax::os {

// Nothing on malformed UTF-8 (overlong forms, surrogates, values above U+10FFFF, truncated
// sequences).
std::optional<std::u16string> utf8ToUtf16(std::string_view text);

// Nothing on an unpaired surrogate.
std::optional<std::string> utf16ToUtf8(std::u16string_view text);

// Each unpaired surrogate becomes U+FFFD, as in Windows' own conversion: for names the system
// hands over, which are passed on whatever they hold.
std::string utf16ToUtf8Replacing(std::u16string_view text);

}  // namespace Velotrax::os
