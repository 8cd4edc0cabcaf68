// Calls in an order the runner never makes, each in a process of its own (Linux runs every test
// in a fresh process): the bridge fails cleanly instead of crashing.
#include <string>

#include "bridge_client.h"
#include "test_framework.h"

TEST(FreshProcess, DefaultWindowBeforeHinitIsAFailure) {
  const Record r(bridge().hopenDefaultWindow());
  ASSERT_TRUE(r != nullptr);
  EXPECT_EQ(r->type, 1);
  EXPECT_EQ(std::string(r->procName), "hopenDefaultWindow");
  EXPECT_EQ(std::string(r->message), "hinit was not called");
  EXPECT_EQ(r->errorCode, 21090);
}
