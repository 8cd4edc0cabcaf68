// Eight threads run scripts through the bridge at once, each opening, drawing into and closing
// windows: every run succeeds, nothing deadlocks and the window stack ends empty.
#include <atomic>
#include <thread>
#include <vector>

#include "bridge_client.h"
#include "test_framework.h"

TEST(Threads, EightScriptsOpenDrawAndCloseWindowsAtOnce) {
  startEngine();
  closeAllWindows();
  constexpr int kThreads = 8, kCycles = 25;
  std::atomic<int> failures{0}, cycles{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([&] {
      const Tuple count = tupleOf(kCycles);
      CallResult result = callProcedure("draw_cycles", {&count});
      if (result.error || result.outputs.size() != 1)
        ++failures;
      else
        cycles += static_cast<int>(bridge().hgetTupleElemLong(result.outputs[0].get(), 0));
    });
  for (std::thread& t : threads) t.join();
  EXPECT_EQ(failures.load(), 0);
  EXPECT_EQ(cycles.load(), kThreads * kCycles);
  // Every window opened was closed again.
  const std::vector<Tuple> closed = run("close_all_windows");
  ASSERT_EQ(closed.size(), 1u);
  EXPECT_EQ(longsOf(closed[0]), std::vector<std::int64_t>{0});
}
