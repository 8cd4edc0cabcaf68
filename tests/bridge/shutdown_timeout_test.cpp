// The full shut-down wait when not verbose: one waiting line, then the timeout line. Run where
// tests run side by side (Linux), as the full wait takes 11 s.
#include "shutdown_fixture.h"

TEST_F(Shutdown, QuietWaitGivesUpAfter110Attempts) {
  const OutputCapture output;
  holdUserThread(13);
  EXPECT_EQ(shutdown(), 110);
  EXPECT_EQ(output.normal(), Lines{kWaiting});
  EXPECT_EQ(output.error(), Lines{kTimeout});
}
