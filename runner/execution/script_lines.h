// The line shapes of HDevelop script files that the import scanner recognises. Each matcher
// decides exactly what its anchored pattern (in the comment above it) decides, in one linear
// pass, so no line length can exhaust the stack or take quadratic time. In the patterns "."
// is ECMAScript's: any character except a line feed or carriage return.
#pragma once

#include <optional>
#include <string_view>

namespace Velotrax::scriptlines {

// ^ *<procedure *name="[A-Za-z0-9_]+".*> *$
bool isAnyProcedureStart(std::string_view line);

// ^ *<procedure *name="NAME".*> *$ with NAME taken literally, whatever characters it holds.
bool isProcedureStart(std::string_view line, std::string_view name);

// ^ *<body> *$
bool isBodyStart(std::string_view line);

// ^ *</body> *$
bool isBodyEnd(std::string_view line);

// ^ *<(l|c)(?:[^>]*>(.*)</[lc]>|( [^>]*)?/>)$ ; the text of group 2, empty for a
// self-closing element (<c/>, <l/>): every l and c element is a line.
std::optional<std::string_view> bodyLineText(std::string_view line);

// ^ *import *'([^']*)'.*$ ; the text of group 1.
std::optional<std::string_view> importedPath(std::string_view line);

// The five predefined XML entities decoded in one pass from left to right.
std::string decodeEntities(std::string_view text);

}  // namespace Velotrax::scriptlines
