// Console output primitives. Callers serialise them: each call writes one unit.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>

namespace Velotrax::os {

// Writes text and one line break to standard output, uncoloured.
void writeNormalLine(std::string_view text);

// Writes text and one line break to standard error in bright red where the console shows colour;
// the console's colour is unchanged afterwards.
void writeErrorLine(std::string_view text);

// Text attributes of the console behind standard output, as the Windows console attribute word
// (foreground bits 1/2/4/8 = blue/green/red/intensity, background bits 16/32/64/128 likewise).
class ConsoleColour {
 public:
  static std::unique_ptr<ConsoleColour> forStandardOutput();
  virtual ~ConsoleColour() = default;

  // The attributes now in effect, or nothing when standard output is no colour console.
  virtual std::optional<std::uint16_t> current() = 0;
  // Paints everything written to standard output from now on; false (and no effect) when
  // standard output is no colour console.
  virtual bool set(std::uint16_t attributes) = 0;
};

}  // namespace Velotrax::os
