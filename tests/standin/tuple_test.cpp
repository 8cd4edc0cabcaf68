// HTuple, HTupleElement, HException and HObject through the public interface.
#include "HalconCpp.h"
#include "test_framework.h"

using namespace HalconCpp;

TEST(Tuple, ElementTypesAndAccessors) {
  HTuple t;
  EXPECT_EQ(t.Length(), 0);
  t.Append(HTuple(static_cast<long long>(1) << 40)).Append(HTuple(2.5)).Append(HTuple("abc"));
  ASSERT_EQ(t.Length(), 3);
  EXPECT_EQ(t[0].Type(), 1);
  EXPECT_EQ(t[1].Type(), 2);
  EXPECT_EQ(t[2].Type(), 4);
  EXPECT_EQ(t[0].L(), static_cast<Hlong>(1) << 40);
  EXPECT_DOUBLE_EQ(t[1].D(), 2.5);
  EXPECT_STREQ(t[2].S().Text(), "abc");
  EXPECT_EQ(t[2].S().Length(), 3u);
  HTuple types = t.TupleTypeElem();
  ASSERT_EQ(types.Length(), 3);
  EXPECT_EQ(types[0].L(), 1);
  EXPECT_EQ(types[1].L(), 2);
  EXPECT_EQ(types[2].L(), 4);
}

TEST(Tuple, EmptyTextElementHasZeroLength) {
  HTuple t("");
  ASSERT_EQ(t.Length(), 1);
  EXPECT_EQ(t[0].Type(), 4);
  EXPECT_EQ(t[0].S().Length(), 0u);
}

TEST(Tuple, CopiesAndClonesAreIndependent) {
  HTuple a(1);
  a.Append(HTuple(2));
  HTuple b = a;
  HTuple c = a.Clone();
  a.Append(HTuple(3));
  EXPECT_EQ(a.Length(), 3);
  EXPECT_EQ(b.Length(), 2);
  EXPECT_EQ(c.Length(), 2);
  EXPECT_TRUE(b == c);
  EXPECT_FALSE(a == b);
}

TEST(Tuple, ToStringFormsOneAndManyElements) {
  EXPECT_STREQ(HTuple(5).ToString().Text(), "5");
  EXPECT_STREQ(HTuple(1.0).ToString().Text(), "1.0");
  HTuple t(1);
  t.Append(HTuple(0.5)).Append(HTuple("x"));
  EXPECT_STREQ(t.ToString().Text(), "[1, 0.5, 'x']");
  EXPECT_STREQ(HTuple().ToString().Text(), "[]");
}

TEST(Tuple, ArithmeticBroadcastsAndKeepsIntegers) {
  HTuple t(1);
  t.Append(HTuple(2)).Append(HTuple(3));
  HTuple sum = t + HTuple(10);
  ASSERT_EQ(sum.Length(), 3);
  EXPECT_EQ(sum[2].Type(), 1);
  EXPECT_EQ(sum[2].L(), 13);
  HTuple q = HTuple(7) / HTuple(2);
  EXPECT_EQ(q[0].Type(), 1);
  EXPECT_EQ(q[0].L(), 3);
  HTuple r = HTuple(7.0) / HTuple(2);
  EXPECT_DOUBLE_EQ(r[0].D(), 3.5);
  EXPECT_STREQ((HTuple("n=") + HTuple(4)).ToString().Text(), "'n=4'");
  EXPECT_TRUE(HTuple(1) == HTuple(1.0));
}

TEST(Tuple, ComparesWithNumbers) {
  HTuple n(5);
  EXPECT_TRUE(n == 5);
  EXPECT_TRUE(n > 4);
  EXPECT_TRUE(n < 5.5);
  EXPECT_TRUE(n >= 5);
  EXPECT_FALSE(n <= 4);
  EXPECT_TRUE(HTuple("abc") < HTuple("abd"));
  EXPECT_THROW((void)(HTuple("abc") < HTuple(1)), HException);
}

TEST(Tuple, FaultsRaiseHException) {
  HTuple t(1);
  bool thrown = false;
  try {
    t[5].L();
  } catch (const HException& e) {
    thrown = true;
    EXPECT_EQ(e.ErrorCode(), 21010);
  }
  EXPECT_TRUE(thrown);
  thrown = false;
  try {
    HTuple(1) / HTuple(0);
  } catch (const HException& e) {
    thrown = true;
    EXPECT_EQ(e.ErrorCode(), 21011);
    EXPECT_STREQ(e.ProcName().Text(), "tuple_div");
  }
  EXPECT_TRUE(thrown);
  HTuple two(1);
  two.Append(HTuple(2));
  HTuple three = two;
  three.Append(HTuple(3));
  EXPECT_THROW(two + three, HException);
  EXPECT_THROW(HTuple("a")[0].D(), HException);
}

TEST(Exception, BuiltFromNameAndCodeUsesStandardText) {
  HException e("my_operator", 1302);
  EXPECT_STREQ(e.ProcName().Text(), "my_operator");
  EXPECT_EQ(e.ErrorCode(), 1302);
  EXPECT_STREQ(e.ErrorMessage().Text(), "Wrong value of control parameter: 2");
}

TEST(Object, EmptyObjectHasNoClass) {
  HObject o;
  EXPECT_EQ(o.CountObj(), 0);
  EXPECT_EQ(o.GetObjClass().Length(), 0);
  EXPECT_THROW(o.SelectObj(1), HException);
  EXPECT_THROW(HImage img(o), HException);
}
