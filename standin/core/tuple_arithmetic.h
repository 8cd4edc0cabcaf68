// Element-wise tuple arithmetic, comparison and text conversion, shared by
// HTuple and the script engine's expressions.
#pragma once

#include <string>
#include <string_view>

#include "value.h"

namespace standin {

enum class ArithOp { Add, Sub, Mul, Div, Mod };

// a op b element by element; a one-element operand is broadcast and an empty
// operand gives an empty result. Errors name operator `op`.
Value arith(ArithOp kind, const Value& a, const Value& b, const char* op);
Value negate(const Value& a, const char* op);

// x op y for two integers; false when the result does not fit (y is not zero).
bool integerArith(ArithOp kind, int64_t x, int64_t y, int64_t& out);

// Whole-tuple equality: same length and equal elements (1 == 1.0).
bool tuplesEqual(const Value& a, const Value& b);
// Lexicographic order: negative, zero or positive; numbers against text raise.
int compareTuples(const Value& a, const Value& b, const char* op);

// The element as text: integers in decimal, reals shortest-exact with a
// decimal point, text unchanged.
std::string elementText(const Element& e);
// Element i as text, without copying a text element; numbers are formatted into scratch.
std::string_view elementTextView(const Value& v, size_t i, std::string& scratch);
// Display form: one element plain, otherwise [a, b, 'text'].
std::string displayText(const Value& v);

// Applies an HDevelop format ("10.3f", "d", "-8s", "x") to every element.
Value formatTuple(const Value& v, const Value& format, const char* op);

// Reads a one-element integer (or integral real) parameter number `param`.
int64_t scalarInt(const Value& v, int param, const char* op);
double scalarNumber(const Value& v, int param, const char* op);
const std::string& scalarText(const Value& v, int param, const char* op);

}  // namespace standin
