// Library windows on the screen: the native window shows the picture and follows the
// extents; windows without a screen are headless. Many threads use windows at once.
#include <chrono>
#include <set>
#include <thread>

#include "native_probe.h"
#include "window_fixture.h"

using namespace HalconCpp;

namespace {

// Polls until fn() holds or two seconds passed: the window system catches up on its own.
template <typename Fn>
bool eventually(Fn fn) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  while (!fn()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

int64_t nativeHandle(const HTuple& window) {
  HTuple os, display;
  GetOsWindowHandle(window, &os, &display);
  return os[0].L();
}

}  // namespace

using ScreenWindows = WindowScriptTest;

TEST_F(ScreenWindows, NativeWindowShowsThePictureAndFollowsTheExtents) {
  Picture dump = draw({"dev_open_window (30, 40, 160, 120, 'white', W)", "dev_set_color ('red')",
                       "gen_rectangle1 (R, 10, 20, 49, 79)", "dev_display (R)",
                       "dev_disp_text ('Screen', 'window', 60, 10, 'blue', [], [])"});
  ASSERT_EQ(dump.width, 160);
  const auto windows = impl.windows();
  ASSERT_EQ(windows.size(), 1u);
  const int64_t handle = nativeHandle(windows[0]);
  if (!screenExpected()) {
    EXPECT_EQ(handle, 0);  // headless
    return;
  }
  ASSERT_NE(handle, 0);
  EXPECT_TRUE(eventually([&] { return captureWindow(handle, 160, 120).pixels == dump.pixels; }));
  const std::array<int64_t, 4> placed{40, 30, 160, 120};
  EXPECT_TRUE(eventually([&] { return nativeGeometry(handle) == placed; }));
  SetWindowExtents(windows[0], HTuple(50), HTuple(70), HTuple(100), HTuple(80));
  const std::array<int64_t, 4> moved{70, 50, 100, 80};
  EXPECT_TRUE(eventually([&] { return nativeGeometry(handle) == moved; }));
  EXPECT_TRUE(eventually([&] { return captureWindow(handle, 100, 80).count(kWhite) == 8000; }));
}

TEST_F(ScreenWindows, EightThreadsOpenDrawAndCloseAtOnce) {
  const HObject box = objectFrom({"gen_rectangle1 (Obj, 2, 2, 20, 30)"});
  constexpr int kThreads = 8, kRounds = 25;
  std::vector<std::vector<int64_t>> handles(kThreads);
  std::vector<int> failures(kThreads, 0);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      const char* colors[] = {"red", "green", "blue", "yellow"};
      for (int i = 0; i < kRounds; ++i) {
        try {
          HTuple w;
          OpenWindow(HTuple(20 * t), HTuple(30 * t), HTuple(120), HTuple(90), HTuple(0),
                     HTuple("visible"), HTuple(""), &w);
          handles[t].push_back(w[0].L());
          SetWindowParam(w, HTuple("background_color"), HTuple("white"));
          ClearWindow(w);
          SetColor(w, HTuple(colors[(t + i) % 4]));
          DispObj(box, w);
          DispText(w, HTuple("thread"), HTuple("window"), HTuple(40), HTuple(5), HTuple(), HTuple(),
                   HTuple());
          if ((nativeHandle(w) != 0) != screenExpected()) ++failures[t];
          SetWindowExtents(w, HTuple(20 * t), HTuple(30 * t), HTuple(100), HTuple(80));
          CloseWindow(w);
        } catch (const HException&) {
          ++failures[t];
        }
      }
    });
  }
  for (auto& thread : threads) thread.join();
  std::set<int64_t> unique;
  for (int t = 0; t < kThreads; ++t) {
    EXPECT_EQ(failures[t], 0);
    unique.insert(handles[t].begin(), handles[t].end());
  }
  EXPECT_EQ(unique.size(), size_t{kThreads * kRounds});
}
