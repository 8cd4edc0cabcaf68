// HTuple and HTupleElement on top of the shared tuple storage.
#include <cmath>

#include "access.h"
#include "errors.h"
#include "tuple_arithmetic.h"

namespace HalconCpp {

using standin::ElemType;
using standin::Value;

HTuple::HTuple() : data_(new Data) {}
HTuple::HTuple(int value) : data_(new Data{Value::ofInt(value)}) {}
HTuple::HTuple(long value) : data_(new Data{Value::ofInt(value)}) {}
HTuple::HTuple(long long value) : data_(new Data{Value::ofInt(value)}) {}
HTuple::HTuple(double value) : data_(new Data{Value::ofReal(value)}) {}
HTuple::HTuple(const char* text) : data_(new Data{Value::ofText(text ? text : "")}) {}
HTuple::HTuple(const HString& text) : data_(new Data{Value::ofText(text.Text())}) {}
HTuple::HTuple(const HTuple& other) : data_(new Data{other.data_->value}) {}
HTuple::HTuple(HTuple&& other) noexcept : data_(other.data_) {
  other.data_ = new Data;
}
HTuple& HTuple::operator=(const HTuple& other) {
  data_->value = other.data_->value;
  return *this;
}
HTuple& HTuple::operator=(HTuple&& other) noexcept {
  std::swap(data_, other.data_);
  return *this;
}
HTuple::~HTuple() {
  delete data_;
}

HTuple& HTuple::Append(const HTuple& other) {
  data_->value.append(other.data_->value);
  return *this;
}

Hlong HTuple::Length() const {
  return static_cast<Hlong>(data_->value.size());
}

HTuple HTuple::Clone() const {
  // Rebuilding the elements gives storage shared with nobody.
  return HTupleAccess::make(Value::ofElements(data_->value.elements()));
}

HString HTuple::ToString() const {
  return HString(standin::displayText(data_->value));
}

HTuple HTuple::TupleTypeElem() const {
  HTuple types;
  for (size_t i = 0; i < data_->value.size(); ++i)
    types.data_->value.append(standin::Element(static_cast<int64_t>(data_->value.typeAt(i))));
  return types;
}

HTupleElement HTuple::operator[](Hlong index) const {
  if (index < 0 || index >= Length())
    standin::raise("HTuple::operator[]", standin::err::kIndexRange);
  return HTupleElement(this, index);
}

bool HTuple::operator==(const HTuple& other) const {
  return standin::tuplesEqual(data_->value, other.data_->value);
}

bool HTuple::operator<(const HTuple& other) const {
  return standin::compareTuples(data_->value, other.data_->value, "tuple_less") < 0;
}

HTuple HTuple::operator+(const HTuple& other) const {
  return HTupleAccess::make(
      standin::arith(standin::ArithOp::Add, data_->value, other.data_->value, "tuple_add"));
}
HTuple HTuple::operator-(const HTuple& other) const {
  return HTupleAccess::make(
      standin::arith(standin::ArithOp::Sub, data_->value, other.data_->value, "tuple_sub"));
}
HTuple HTuple::operator*(const HTuple& other) const {
  return HTupleAccess::make(
      standin::arith(standin::ArithOp::Mul, data_->value, other.data_->value, "tuple_mult"));
}
HTuple HTuple::operator/(const HTuple& other) const {
  return HTupleAccess::make(
      standin::arith(standin::ArithOp::Div, data_->value, other.data_->value, "tuple_div"));
}

int HTupleElement::Type() const {
  return static_cast<int>(HTupleAccess::value(*tuple_).typeAt(static_cast<size_t>(index_)));
}

Hlong HTupleElement::L() const {
  const Value& v = HTupleAccess::value(*tuple_);
  size_t i = static_cast<size_t>(index_);
  switch (v.typeAt(i)) {
    case ElemType::Int:
      return v.intAt(i);
    case ElemType::Real:
      return static_cast<Hlong>(v.realAt(i));
    default:
      standin::raise("HTupleElement::L", standin::err::kWrongType + 1);
  }
}

double HTupleElement::D() const {
  const Value& v = HTupleAccess::value(*tuple_);
  size_t i = static_cast<size_t>(index_);
  if (v.typeAt(i) == ElemType::Text)
    standin::raise("HTupleElement::D", standin::err::kWrongType + 1);
  return v.numberAt(i);
}

HString HTupleElement::S() const {
  return HString(
      standin::elementText(HTupleAccess::value(*tuple_).elementAt(static_cast<size_t>(index_))));
}

HException::HException(const char* procName, Herror errorCode)
    : procName_(procName), code_(errorCode), message_(standin::errorText(errorCode)) {}

HException::HException(const char* procName, Herror errorCode, const char* message)
    : procName_(procName), code_(errorCode), message_(message) {}

}  // namespace HalconCpp
