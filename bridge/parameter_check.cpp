#include "parameter_check.h"

namespace brimlet {

namespace {

constexpr int kWrongType = 1200;
constexpr int kWrongValue = 1300;
constexpr int kWrongCount = 1400;

}  // namespace

int checkParameter(const HalconCpp::HTuple& argument, int n, int allowed) {
  if (argument.Length() != 1) return kWrongCount + n;
  const int type = argument[0].Type();
  // A type code outside the three known ones is in no set.
  const bool known = type == kInteger || type == kReal || type == kText;
  return known && (type & allowed) != 0 ? H_MSG_TRUE : kWrongType + n;
}

int displayTextStatus(int dispTextCode) {
  for (const int family : {kWrongType, kWrongValue, kWrongCount})
    if (dispTextCode >= family + 2 && dispTextCode <= family + 8) return dispTextCode - 1;
  return dispTextCode;
}

}  // namespace brimlet
