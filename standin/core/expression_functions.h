// Functions usable inside expressions: sum, min, max, abs, sqrt, int, real,
// round, number, strlen.
#pragma once

#include <string_view>

#include "value.h"

namespace standin {

enum class TupleFunction { Sum, Min, Max, Abs, Sqrt, Int, Real, Round, Number, Strlen };

// The function of that name, if there is one.
bool lookupFunction(std::string_view name, TupleFunction& out);
Value applyFunction(TupleFunction f, const Value& arg, const char* op);

}  // namespace standin
