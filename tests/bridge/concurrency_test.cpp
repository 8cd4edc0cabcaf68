// Eight threads call the window operators of one object at once, as engine threads running
// scripts side by side do: every call succeeds, nothing deadlocks, and the stack ends empty with
// every window closed.
#include <atomic>
#include <thread>
#include <vector>

#include "core_fixture.h"
#include "test_framework.h"
#include "window_operator_impl.h"

using brimlet::HDevOperatorImplCppNative;
using HalconCpp::HTuple;

TEST(Concurrency, EightThreadsOpenDrawAndCloseWindowsAtOnce) {
  constexpr int kThreads = 8, kCycles = 150;
  HDevOperatorImplCppNative impl;
  const HalconCpp::HObject image = makeImage(64, 48);
  std::atomic<int> failures{0};
  std::vector<std::vector<HTuple>> opened(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([&, t] {
      const auto expectOk = [&](int status) { failures += status != 2; };
      for (int cycle = 0; cycle < kCycles; ++cycle) {
        HTuple window;
        expectOk(impl.OnOpenWindow(HTuple(0), HTuple(0), HTuple(64), HTuple(48), HTuple("black"),
                                   &window));
        opened[t].push_back(window);
        // Between its open and its close a thread always finds a window: possibly another
        // thread's, which is what the single active window means.
        expectOk(impl.OnSetActiveWindow(window));
        expectOk(cycle % 2 ? impl.OnSetColor(HTuple("red")) : impl.OnSetColored(HTuple(6)));
        expectOk(impl.OnSetDraw(HTuple("margin")));
        expectOk(impl.OnSetLineWidth(HTuple(2)));
        expectOk(impl.OnDisplayObject(image));
        expectOk(impl.OnDisplayText(HTuple("text"), HTuple("window"), HTuple(5), HTuple(5),
                                    HTuple("white"), HTuple(), HTuple()));
        expectOk(impl.OnSetPart(HTuple(0), HTuple(0), HTuple(47), HTuple(63)));
        expectOk(impl.OnSetWindowExtents(HTuple(-1), HTuple(-1), HTuple(80), HTuple(-1)));
        HTuple active;
        expectOk(impl.OnGetActiveWindow(&active));
        failures += active[0].L() == -1;
        expectOk(impl.OnClearWindow());
        expectOk(impl.OnCloseWindow());
      }
    });
  for (std::thread& t : threads) t.join();
  EXPECT_EQ(failures.load(), 0);
  HTuple active;
  EXPECT_EQ(impl.OnGetActiveWindow(&active), 2);
  EXPECT_EQ(active[0].L(), -1);
  int stillOpen = 0;
  for (const auto& windows : opened)
    for (const HTuple& window : windows) stillOpen += windowExists(window);
  EXPECT_EQ(stillOpen, 0);
}
