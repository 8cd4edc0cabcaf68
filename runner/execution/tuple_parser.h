// Procedure arguments written as tuple literals on the command line, and the printed form of
// tuples.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "halcon/engine_client.h"

namespace Velotrax {

// One command-line procedure argument.
struct ProcedureArgument {
  std::string name;   // always empty
  TupleHolder tuple;  // the bridge tuple
};

// A syntax error in the argument text, at a 0-based position.
class ParseException : public std::runtime_error {
 public:
  ParseException(const std::string& message, int32_t position)
      : std::runtime_error(message), position_(position) {}
  int32_t position() const { return position_; }

 private:
  int32_t position_;
};

// Raised at the list level.
class ArgParseException : public ParseException {
  using ParseException::ParseException;
};

// Raised inside one tuple literal.
class TupleParseException : public ParseException {
  using ParseException::ParseException;
};

// check only validates; build creates the bridge tuples.
enum class PassMode { check = 0, build = 1 };

// Parses the whole argument text. The check pass always returns an empty list. Integers are
// read exactly; one outside [-2^63, 2^63) is a TupleParseException at its position, raised only
// when the text has no syntax error. A real beyond a double is std::out_of_range.
std::vector<ProcedureArgument> parseArgumentList(const std::string& text, PassMode mode);

// The printed form: one element bare, otherwise [a, b, 'c'].
std::string tuplePrintedForm(TupleHandle tuple);

}  // namespace Velotrax
