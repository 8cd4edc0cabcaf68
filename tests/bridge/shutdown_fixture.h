// The fixture of the shut-down wait tests: a user thread of the library held for a while, and
// the count of FinalizeHALCONLibrary calls one hprepareShutdown makes. The library's time scale
// makes its waits a hundredth as long and holds its user threads on its own clock, which only
// those waits advance: the counts are exact and a full wait takes about 0.1 s.
#pragma once

#include <string>
#include <vector>

#include "bridge_client.h"
#include "test_framework.h"

using Lines = std::vector<std::string>;

inline const std::string kWaiting = "waiting for HALCON user threads to exit";
inline const std::string kWaitingVerbose = kWaiting + " (error 9700)";
inline const std::string kTimeout = "aborting wait for user threads after timeout is reached (10s)";

class Shutdown : public testing::Test {
 protected:
  void SetUp() override {
    startEngine();
    waitForNoUserThreads();
    setTimeScale(0.01);
  }
  void TearDown() override {
    injectFault("none");
    setTimeScale(1);
    bridge().hsetVerbosity(0);
  }

  static void setTimeScale(double scale) {
    const Tuple t = newTuple();
    bridge().happendTupleDouble(t.get(), scale);
    run("set_time_scale", {&t});
  }

  // Keeps one user thread of the library running for the given time of the library's clock.
  static void holdUserThread(double seconds) {
    const Tuple t = newTuple();
    bridge().happendTupleDouble(t.get(), seconds);
    run("hold_user_thread", {&t});
  }

  // Runs hprepareShutdown; returns how often it called FinalizeHALCONLibrary.
  static std::int64_t shutdown() {
    const std::int64_t before = systemNumber("finalize_calls");
    EXPECT_TRUE(Record(bridge().hprepareShutdown()) == nullptr);
    return systemNumber("finalize_calls") - before;
  }
};
