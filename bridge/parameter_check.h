// The parameter checks of the window operations and the status mapping of DispText failures.
#pragma once

#include "HalconCpp.h"
#include "brimlet_exports.h"

namespace brimlet {

// Sets of allowed element types, made of the tuple element type codes.
enum : int {
  kInteger = kTupleElemLong,
  kReal = kTupleElemDouble,
  kText = kTupleElemString,
  kNumber = kInteger | kReal,
};

// H_MSG_TRUE when argument n (counted from 1) holds exactly one value of a type in allowed;
// otherwise 1400 + n when it does not hold one value, 1200 + n when the value has another type.
int checkParameter(const HalconCpp::HTuple& argument, int n, int allowed);

// The status OnDisplayText returns for a DispText failure: DispText counts the window handle
// as its first parameter, which the operation does not have, so parameter codes move down.
int displayTextStatus(int dispTextCode);

}  // namespace brimlet
