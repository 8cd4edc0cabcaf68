// The shut-down wait: FinalizeHALCONLibrary is retried every 0.1 s while the library's user
// threads run, 110 times at most, with a waiting line at the first attempt (and every tenth
// when verbose).
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "shutdown_fixture.h"

TEST_F(Shutdown, FinalizedAtOnceIsSilentEvenWhenVerbose) {
  const OutputCapture output;
  bridge().hsetVerbosity(1);
  EXPECT_EQ(shutdown(), 1);
  EXPECT_EQ(output.normal(), Lines{});
  EXPECT_EQ(output.error(), Lines{});
}

TEST_F(Shutdown, WaitingLineOnceWhenNotVerbose) {
  const OutputCapture output;
  holdUserThread(0.35);
  const std::int64_t calls = shutdown();
  EXPECT_GE(calls, 2);
  EXPECT_LT(calls, 110);
  EXPECT_EQ(output.normal(), Lines{kWaiting});
  EXPECT_EQ(output.error(), Lines{});
}

TEST_F(Shutdown, VerboseWaitingLineEveryTenthAttempt) {
  const OutputCapture output;
  bridge().hsetVerbosity(1);
  // Attempt 10 comes after 1 s of waiting and attempt 20 after 2 s: the thread ends between.
  holdUserThread(1.5);
  const std::int64_t calls = shutdown();
  EXPECT_GT(calls, 11);
  EXPECT_LE(calls, 20);
  EXPECT_EQ(output.normal(), (Lines{kWaitingVerbose, kWaitingVerbose}));
  EXPECT_EQ(output.error(), Lines{});
}

TEST_F(Shutdown, VerboseWaitGivesUpAfter110Attempts) {
  const OutputCapture output;
  bridge().hsetVerbosity(1);
  holdUserThread(13);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(shutdown(), 110);
  const std::chrono::duration<double> waited = std::chrono::steady_clock::now() - start;
  // 110 waits of 0.1 s, although the line says 10 s.
  EXPECT_GE(waited.count(), 11.0);
  std::printf("waited %.2f s\n", waited.count());
  // Attempts 0, 10, ..., 100.
  EXPECT_EQ(output.normal(), Lines(11, kWaitingVerbose));
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
