// The parameter check of the window operations and the status mapping of DispText failures.
#include "parameter_check.h"
#include "HalconCpp.h"
#include "test_framework.h"

using brimlet::checkParameter;
using brimlet::displayTextStatus;
using HalconCpp::HTuple;

TEST(ParameterCheck, OneValueOfAnAllowedType) {
  EXPECT_EQ(checkParameter(HTuple(3), 1, brimlet::kInteger), 2);
  EXPECT_EQ(checkParameter(HTuple(3), 2, brimlet::kNumber), 2);
  EXPECT_EQ(checkParameter(HTuple(2.5), 3, brimlet::kNumber), 2);
  EXPECT_EQ(checkParameter(HTuple("red"), 4, brimlet::kText), 2);
}

TEST(ParameterCheck, WrongNumberOfValuesBeforeWrongType) {
  EXPECT_EQ(checkParameter(HTuple(), 1, brimlet::kText), 1401);
  HTuple two("black");
  two.Append(HTuple(5));
  EXPECT_EQ(checkParameter(two, 5, brimlet::kText), 1405);
}

TEST(ParameterCheck, WrongType) {
  EXPECT_EQ(checkParameter(HTuple(2.5), 1, brimlet::kInteger), 1201);
  EXPECT_EQ(checkParameter(HTuple("320"), 3, brimlet::kNumber), 1203);
  EXPECT_EQ(checkParameter(HTuple(7), 5, brimlet::kText), 1205);
}

TEST(DisplayTextStatus, ParameterCodesMoveDownOneParameter) {
  for (const int family : {1200, 1300, 1400}) {
    EXPECT_EQ(displayTextStatus(family + 1), family + 1);  // the window handle: unchanged
    for (int n = 2; n <= 8; ++n) EXPECT_EQ(displayTextStatus(family + n), family + n - 1);
    EXPECT_EQ(displayTextStatus(family + 9), family + 9);
  }
  EXPECT_EQ(displayTextStatus(1303), 1302);
  EXPECT_EQ(displayTextStatus(5200), 5200);
  EXPECT_EQ(displayTextStatus(21025), 21025);
}
