// The tuple literal parser on arbitrary argument texts: both passes, against a fake of the
// bridge's tuple entries that counts tuples. The check pass must create none, both passes must
// agree on the outcome and the error position, positions lie within the text, and every tuple
// the build pass creates is released.
#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

#include "execution/tuple_parser.h"

namespace {

using Element = std::variant<int64_t, double, std::string>;
struct Tuple {
  std::vector<Element> elements;
};

long created = 0;
long freed = 0;

Tuple& tupleOf(TupleHandle handle) {
  return *reinterpret_cast<Tuple*>(handle);
}

void installFake() {
  Velotrax::EngineClient fake;
  fake.hcreateTuple = [](TupleHandle* t) -> EngineErrorRecord* {
    ++created;
    *t = reinterpret_cast<TupleHandle>(new Tuple);
    return nullptr;
  };
  fake.hfreeTuple = [](TupleHandle t) {
    ++freed;
    delete &tupleOf(t);
  };
  fake.happendTupleLong = [](TupleHandle t, int64_t v) { tupleOf(t).elements.emplace_back(v); };
  fake.happendTupleDouble = [](TupleHandle t, double v) { tupleOf(t).elements.emplace_back(v); };
  fake.happendTupleString = [](TupleHandle t, const char* v) {
    tupleOf(t).elements.emplace_back(std::string(v));
  };
  fake.hgetTupleLength = [](TupleHandle t) {
    return static_cast<int64_t>(tupleOf(t).elements.size());
  };
  fake.hgetTupleElemType = [](TupleHandle t, int64_t i) -> int32_t {
    const size_t kind = tupleOf(t).elements.at(static_cast<size_t>(i)).index();
    return kind == 0 ? kTupleElemLong : kind == 1 ? kTupleElemDouble : kTupleElemString;
  };
  fake.hgetTupleElemLong = [](TupleHandle t, int64_t i) {
    return std::get<int64_t>(tupleOf(t).elements.at(static_cast<size_t>(i)));
  };
  fake.hgetTupleElemDouble = [](TupleHandle t, int64_t i) {
    return std::get<double>(tupleOf(t).elements.at(static_cast<size_t>(i)));
  };
  fake.hgetTupleElemString_TO_BE_FREED = [](TupleHandle t, int64_t i) {
    const std::string& s = std::get<std::string>(tupleOf(t).elements.at(static_cast<size_t>(i)));
    char* copy = static_cast<char*>(std::malloc(s.size() + 1));
    std::copy(s.c_str(), s.c_str() + s.size() + 1, copy);
    return copy;
  };
  fake.hfreeTupleElemString = [](char* text) { std::free(text); };
  Velotrax::installEngineClient(fake);
}

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
  static std::once_flag installed;
  std::call_once(installed, installFake);
  const std::string text(reinterpret_cast<const char*>(data), size);

  created = freed = 0;
  size_t checked = 0, built = 0;
  const std::string check = parse(text, Velotrax::PassMode::check, checked);
  require(created == 0 && checked == 0);
  const std::string build = parse(text, Velotrax::PassMode::build, built);
  require(created == freed);
  // The passes agree: a syntax error surfaces in the check pass already.
  require(check.compare(0, 2, "ok") == 0 ? build.compare(0, 2, "ok") == 0 : check == build);
  return 0;
}
