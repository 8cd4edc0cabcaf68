// Puts GoogleTest programs under the deadline: linked in, it registers itself.
#include <gtest/gtest.h>

#include "deadline.h"

namespace {

class DeadlineListener final : public testing::EmptyTestEventListener {
  void OnTestStart(const testing::TestInfo& test) override {
    Velotrax::testing_support::testStarted(std::string(test.test_suite_name()) + "." + test.name());
  }
  void OnTestEnd(const testing::TestInfo&) override { Velotrax::testing_support::testEnded(); }
};

const bool installed = [] {
  testing::UnitTest::GetInstance()->listeners().Append(new DeadlineListener);
  return true;
}();

}  // namespace
