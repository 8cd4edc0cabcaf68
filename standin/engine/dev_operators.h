// The development window operators (dev_*): the engine hands each of them to
// the operator implementation installed with SetHDevOperatorImpl.
#pragma once

#include <string_view>

#include "operators.h"

namespace standin::engine {

// The dev_ operator of that name, or null.
const OperatorDef* findDevOperator(std::string_view name);

}  // namespace standin::engine
