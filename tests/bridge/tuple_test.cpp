// Tuples through the C interface: element types and values, texts handed out and released, the
// setters that always succeed, and bad handles or indices, which never crash.
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>

#include "bridge_client.h"
#include "test_framework.h"

TEST(Tuples, ElementTypesAndValues) {
  const BridgeExports& b = bridge();
  const Tuple t = newTuple();
  EXPECT_EQ(b.hgetTupleLength(t.get()), 0);
  b.happendTupleLong(t.get(), std::numeric_limits<std::int64_t>::min());
  b.happendTupleDouble(t.get(), -2.5);
  b.happendTupleString(t.get(), "text");
  ASSERT_EQ(b.hgetTupleLength(t.get()), 3);
  EXPECT_EQ(b.hgetTupleElemType(t.get(), 0), 1);
  EXPECT_EQ(b.hgetTupleElemType(t.get(), 1), 2);
  EXPECT_EQ(b.hgetTupleElemType(t.get(), 2), 4);
  EXPECT_EQ(b.hgetTupleElemLong(t.get(), 0), std::numeric_limits<std::int64_t>::min());
  EXPECT_EQ(b.hgetTupleElemDouble(t.get(), 1), -2.5);
  EXPECT_EQ(textOf(t, 2), "text");
}

TEST(Tuples, TextsPassUnconverted) {
  const char bytes[] = "\xff\xfe caf\xc3\xa9 \x01";
  const Tuple t = tupleOf(bytes);
  EXPECT_EQ(textOf(t, 0), std::string(bytes));
}

TEST(Tuples, EmptyTextIsOneTerminatingZero) {
  const Tuple t = tupleOf("");
  char* text = bridge().hgetTupleElemString_TO_BE_FREED(t.get(), 0);
  ASSERT_TRUE(text != nullptr);
  EXPECT_EQ(text[0], '\0');
  bridge().hfreeTupleElemString(text);
}

// A bad index or a null handle reads as type 0, number 0 and a fresh empty text.
TEST(Tuples, BadIndexOrHandleNeverCrashes) {
  const BridgeExports& b = bridge();
  const Tuple t = tupleOf(5);
  for (const std::int64_t index :
       {std::int64_t{-1}, std::int64_t{1}, std::numeric_limits<std::int64_t>::max()}) {
    EXPECT_EQ(b.hgetTupleElemType(t.get(), index), 0);
    EXPECT_EQ(b.hgetTupleElemLong(t.get(), index), 0);
    EXPECT_EQ(b.hgetTupleElemDouble(t.get(), index), 0.0);
    char* text = b.hgetTupleElemString_TO_BE_FREED(t.get(), index);
    ASSERT_TRUE(text != nullptr);
    EXPECT_EQ(std::strlen(text), 0u);
    b.hfreeTupleElemString(text);
  }
  EXPECT_EQ(b.hgetTupleLength(nullptr), 0);
  EXPECT_EQ(b.hgetTupleElemType(nullptr, 0), 0);
  EXPECT_EQ(b.hgetTupleElemLong(nullptr, 0), 0);
  EXPECT_EQ(b.hgetTupleElemDouble(nullptr, 0), 0.0);
  char* text = b.hgetTupleElemString_TO_BE_FREED(nullptr, 0);
  ASSERT_TRUE(text != nullptr);
  EXPECT_EQ(text[0], '\0');
  b.hfreeTupleElemString(text);
  b.happendTupleLong(nullptr, 1);
  b.happendTupleDouble(nullptr, 1.0);
  b.happendTupleString(nullptr, "x");
  b.happendTupleString(t.get(), nullptr);
  EXPECT_EQ(longsOf(t), std::vector<std::int64_t>{5});
}

TEST(Tuples, CreateSetsOutNullFirstAndToleratesNoOut) {
  TupleHandle handle = reinterpret_cast<TupleHandle>(static_cast<std::intptr_t>(0x5a5a));
  Record r(bridge().hcreateTuple(&handle));
  EXPECT_FALSE(r);
  ASSERT_TRUE(handle != nullptr);
  EXPECT_EQ(bridge().hgetTupleLength(handle), 0);
  bridge().hfreeTuple(handle);
  r.reset(bridge().hcreateTuple(nullptr));
  EXPECT_FALSE(r);
}

TEST(Tuples, SettersAlwaysReturnNull) {
  const BridgeExports& b = bridge();
  EXPECT_TRUE(b.hsetVerbosity(1) == nullptr);
  EXPECT_TRUE(b.hsetVerbosity(0) == nullptr);
  EXPECT_TRUE(b.hsetFullscreen(7) == nullptr);
  EXPECT_TRUE(b.hsetFullscreen(0) == nullptr);
  EXPECT_TRUE(b.hsetStdOutHandler(nullptr) == nullptr);
  EXPECT_TRUE(b.hsetStdErrHandler(nullptr) == nullptr);
}
