// The tuple literal parser on arbitrary argument texts: both passes, against the fake engine
// bridge, which counts tuples. The check pass must create none, both passes must
// agree on the outcome and the error position, positions lie within the text, and every tuple
// the build pass creates is released.
#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <string>

#include "execution/tuple_parser.h"
#include "fake_engine.h"

namespace {

void require(bool condition) {
  if (!condition) std::abort();
}

// The outcome of one pass as text; the built tuples in their printed form.
std::string parse(const std::string& text, Velotrax::PassMode mode, size_t& tuples) {
  try {
    const auto arguments = Velotrax::parseArgumentList(text, mode);
    tuples = arguments.size();
    std::string printed = "ok";
    for (const auto& argument : arguments)
      printed += " " + Velotrax::tuplePrintedForm(argument.tuple.get());
    return printed;
  } catch (const Velotrax::ParseException& e) {
    require(e.position() >= 0 && static_cast<size_t>(e.position()) <= text.size());
    return std::string("parse error ") + e.what() + " at " + std::to_string(e.position());
  } catch (const std::out_of_range& e) {
    return std::string("out of range ") + e.what();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const Velotrax::fake::Engine& engine = Velotrax::fake::install();
  const std::string text(reinterpret_cast<const char*>(data), size);

  size_t checked = 0, built = 0;
  const std::string check = parse(text, Velotrax::PassMode::check, checked);
  require(engine.tuplesCreated == 0 && checked == 0);
  const std::string build = parse(text, Velotrax::PassMode::build, built);
  require(engine.tuplesCreated == engine.tuplesFreed);
  // The passes agree: a syntax error surfaces in the check pass already.
  require(check.compare(0, 2, "ok") == 0 ? build.compare(0, 2, "ok") == 0 : check == build);
  return 0;
}
