// The shut-down wait: FinalizeHALCONLibrary is retried every 0.1 s while the library's user
// threads run, 110 times at most, with a waiting line at the first attempt (and every tenth
// when verbose).
#include <string>
#include <vector>

#include "shutdown_fixture.h"

TEST_F(Shutdown, FinalizedAtOnceIsSilentEvenWhenVerbose) {
  const HandlerOutput output;
  bridge().hsetVerbosity(1);
  EXPECT_EQ(shutdown(), 1);
  EXPECT_EQ(output.normal(), Lines{});
  EXPECT_EQ(output.error(), Lines{});
}

TEST_F(Shutdown, WaitingLineOnceWhenNotVerbose) {
  const HandlerOutput output;
  holdUserThread(0.35);
  // Attempts at 0, 0.1, ..., 0.4 s: the fifth finds the thread ended.
  EXPECT_EQ(shutdown(), 5);
  EXPECT_EQ(output.normal(), Lines{kWaiting});
  EXPECT_EQ(output.error(), Lines{});
}

TEST_F(Shutdown, VerboseWaitingLineEveryTenthAttempt) {
  const HandlerOutput output;
  bridge().hsetVerbosity(1);
  // Attempt 10 comes after 1 s of waiting; attempt 15 (the 16th call) finds the thread ended.
  holdUserThread(1.5);
  EXPECT_EQ(shutdown(), 16);
  EXPECT_EQ(output.normal(), (Lines{kWaitingVerbose, kWaitingVerbose}));
  EXPECT_EQ(output.error(), Lines{});
}

TEST_F(Shutdown, VerboseWaitGivesUpAfter110Attempts) {
  const HandlerOutput output;
  bridge().hsetVerbosity(1);
  // The last of 110 attempts comes after 10.9 s of waiting, although the line says 10 s.
  holdUserThread(10.95);
  EXPECT_EQ(shutdown(), 110);
  // Attempts 0, 10, ..., 100.
  EXPECT_EQ(output.normal(), Lines(11, kWaitingVerbose));
  EXPECT_EQ(output.error(), Lines{kTimeout});
}

TEST_F(Shutdown, QuietWaitGivesUpAfter110Attempts) {
  const HandlerOutput output;
  holdUserThread(13);
  EXPECT_EQ(shutdown(), 110);
  EXPECT_EQ(output.normal(), Lines{kWaiting});
  EXPECT_EQ(output.error(), Lines{kTimeout});
}

TEST_F(Shutdown, FailureInTheWaitBecomesARecord) {
  holdUserThread(1);
  injectFault("exception");  // the first WaitSeconds fails
  const Record r(bridge().hprepareShutdown());
  ASSERT_TRUE(r != nullptr);
  EXPECT_EQ(r->type, 1);
  EXPECT_EQ(std::string(r->procName), "hprepareShutdown");
  EXPECT_EQ(std::string(r->message), "injected failure");
}
