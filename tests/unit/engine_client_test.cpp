// The engine client's own work over a fake bridge: the version query, element texts, the
// handle holders and the guard of a tuple being filled.
#include <gtest/gtest.h>

#include "fake_engine.h"
#include "halcon/engine_client.h"
#include "halcon/hde_exception.h"

namespace Velotrax {
namespace {

class EngineClientTest : public testing::Test {
 protected:
  void SetUp() override { fake::install(); }
};

TEST_F(EngineClientTest, VersionIsTheTextOfTheOneElement) {
  fake::engine().systemValue = {std::string("13.0.1")};
  EXPECT_EQ(engineVersion(), "13.0.1");
  EXPECT_EQ(fake::engine().callsOf("hgetsystem"),
            std::vector<std::string>{"hgetsystem \"version\""});
  EXPECT_EQ(fake::engine().tuplesFreed, 1);
  EXPECT_EQ(fake::engine().textsFreed, 1);
}

TEST_F(EngineClientTest, VersionOfAnyOtherLengthIsEmpty) {
  fake::engine().systemValue = {std::string("13.0"), std::string("1")};
  EXPECT_EQ(engineVersion(), "");
  EXPECT_EQ(fake::engine().textsFreed, 2) << "every element is read and its text released";
  fake::engine().systemValue = {};
  EXPECT_EQ(engineVersion(), "");
  EXPECT_EQ(fake::engine().tuplesFreed, 2);
}

TEST_F(EngineClientTest, VersionQueryFailureIsAnEngineError) {
  fake::engine().failing = {"hgetsystem"};
  EXPECT_THROW(engineVersion(), HDEException);
  EXPECT_EQ(fake::engine().recordsReleased, 1);
  EXPECT_EQ(fake::engine().tuplesFreed, 0);
}

TEST_F(EngineClientTest, ElementTexts) {
  const TupleHolder tuple =
      holdTuple(fake::makeTuple({int64_t{-9000000000}, 0.1, 2.5e-7, 123456789.0,
                                 std::string("it's"), std::string(""), std::monostate{}}));
  const std::vector<std::string> expected{"-9000000000", "0.1", "2.5e-07", "1.23457e+08",
                                          "it's",        "",    ""};
  for (size_t i = 0; i < expected.size(); ++i)
    EXPECT_EQ(tupleElementText(tuple.get(), static_cast<int64_t>(i)), expected[i]) << i;
  EXPECT_EQ(fake::engine().textsFreed, 2);
}

TEST_F(EngineClientTest, HoldersReleaseOnceAfterTheLastOwner) {
  {
    TupleHolder first = holdTuple(fake::makeTuple({}));
    TupleHolder second = first;
    first.reset();
    EXPECT_EQ(fake::engine().tuplesFreed, 0);
  }
  EXPECT_EQ(fake::engine().tuplesFreed, 1);
  { TupleHolder none = holdTuple(nullptr); }
  EXPECT_EQ(fake::engine().tuplesFreed, 1) << "a null handle is not released";
}

TEST_F(EngineClientTest, TupleBeingFilledIsFreedUnlessFillingCompleted) {
  { TupleFillGuard abandoned(fake::makeTuple({int64_t{1}})); }
  EXPECT_EQ(fake::engine().tuplesFreed, 1);
  TupleHandle kept;
  {
    TupleFillGuard filled(fake::makeTuple({int64_t{1}}));
    kept = filled.complete();
  }
  EXPECT_EQ(fake::engine().tuplesFreed, 1);
  { TupleFillGuard empty(nullptr); }
  EXPECT_EQ(fake::engine().tuplesFreed, 1);
  holdTuple(kept);
  EXPECT_EQ(fake::engine().tuplesFreed, 2);
}

}  // namespace
}  // namespace Velotrax
