// Placeholder until the tuple literal parser is built; unreachable without an engine client.
#include "tuple_parser.h"

namespace Velotrax {

std::vector<ProcedureArgument> parseArgumentList(const std::string& text, PassMode) {
  if (text.empty()) return {};  // no arguments: no tuples
  throw std::logic_error("the tuple literal parser is not built yet");
}
std::string tuplePrintedForm(TupleHandle) {
  throw std::logic_error("the tuple literal parser is not built yet");
}

}  // namespace Velotrax
