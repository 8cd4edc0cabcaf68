// The library's operators as the script engine calls them: parameter counts
// in HDevelop order (iconic in, iconic out, control in, control out) and one
// function per operator.
#pragma once

#include <span>
#include <string_view>

#include "object.h"
#include "value.h"

namespace standin {

struct OpCall {
  std::span<const Object> iconicIn;
  std::span<Object> iconicOut;
  std::span<const Value> ctrlIn;
  std::span<Value> ctrlOut;
};

using OpFunction = void (*)(OpCall&);

struct OperatorDef {
  const char* name;
  int iconicIn;
  int iconicOut;
  int ctrlIn;
  int ctrlOut;
  OpFunction run;
};

// The library operator of that name, or null.
const OperatorDef* findOperator(std::string_view name);

// Tables contributed by the operator files.
std::span<const OperatorDef> tupleOperators();
std::span<const OperatorDef> systemOperators();
std::span<const OperatorDef> fileOperators();
std::span<const OperatorDef> imageOperators();
std::span<const OperatorDef> regionOperators();
std::span<const OperatorDef> windowOperators();

}  // namespace standin
