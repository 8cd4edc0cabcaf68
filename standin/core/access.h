// Internal access to the data behind the public value classes.
#pragma once

#include "HalconCpp.h"
#include "object.h"
#include "value.h"

namespace HalconCpp {

struct HTuple::Data {
  standin::Value value;
};

struct HObject::Data {
  standin::Object object;
};

struct HTupleAccess {
  static standin::Value& value(HTuple& t) { return t.data_->value; }
  static const standin::Value& value(const HTuple& t) { return t.data_->value; }
  static HTuple make(standin::Value v) {
    HTuple t;
    t.data_->value = std::move(v);
    return t;
  }
};

struct HObjectAccess {
  static standin::Object& object(HObject& o) { return o.data_->object; }
  static const standin::Object& object(const HObject& o) { return o.data_->object; }
};

}  // namespace HalconCpp
