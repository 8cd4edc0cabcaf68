// Fullscreen windows on a real screen (a 1280 x 1024 virtual display), through the bridge: a
// window opened after hsetFullscreen(1) covers the whole monitor without a frame, as the system
// itself reports it; one opened after hsetFullscreen(0) keeps its size.
#include <array>
#include <string>
#include <vector>

#include "HalconCpp.h"
#include "bridge_client.h"
#include "screen_probe.h"
#include "test_framework.h"

namespace {

using HalconCpp::HTuple;

std::int64_t openWindow(std::int64_t width, std::int64_t height) {
  const Tuple w = tupleOf(width), h = tupleOf(height);
  const std::vector<Tuple> outputs = run("open_window", {&w, &h});
  return outputs.empty() ? -1 : bridge().hgetTupleElemLong(outputs[0].get(), 0);
}

std::int64_t nativeWindowOf(std::int64_t window) {
  HTuple native, display;
  HalconCpp::GetOsWindowHandle(HTuple(window), &native, &display);
  return native[0].L();
}

// Fullscreen switched on while it lives.
class Fullscreen {
 public:
  Fullscreen() { EXPECT_FALSE(Record(bridge().hsetFullscreen(1))); }
  ~Fullscreen() { Record(bridge().hsetFullscreen(0)); }  // cleanup: a failure has no one to tell
  Fullscreen(const Fullscreen&) = delete;
  Fullscreen& operator=(const Fullscreen&) = delete;
};

// Closes every window when the test ends, however it ends.
class WindowsClosedAtEnd {
 public:
  WindowsClosedAtEnd() = default;
  ~WindowsClosedAtEnd() { closeAllWindows(); }
  WindowsClosedAtEnd(const WindowsClosedAtEnd&) = delete;
  WindowsClosedAtEnd& operator=(const WindowsClosedAtEnd&) = delete;
};

}  // namespace

TEST(FullscreenOnScreen, WindowCoversTheMonitorWithoutFrame) {
  startEngine();
  const WindowsClosedAtEnd windowsClosed;
  const HandlerOutput output;
  std::int64_t window = -1;
  {
    const Fullscreen fullscreen;
    window = openWindow(320, 240);
  }
  EXPECT_EQ(output.error(), std::vector<std::string>{});
  const std::int64_t native = nativeWindowOf(window);
  ASSERT_TRUE(native != 0);  // a real window on the screen

  std::int64_t screenWidth = 0, screenHeight = 0;
  screenSize(native, screenWidth, screenHeight);
  EXPECT_EQ(screenWidth, 1280);
  EXPECT_EQ(screenHeight, 1024);
  const ScreenPlacement placed = placementOf(native);
  EXPECT_EQ(placed.x, 0);
  EXPECT_EQ(placed.y, 0);
  EXPECT_EQ(placed.width, 1280);
  EXPECT_EQ(placed.height, 1024);
  EXPECT_TRUE(placed.frameless);
  // The vision library knows the new extents too.
  std::array<HTuple, 4> e;
  HalconCpp::GetWindowExtents(HTuple(window), &e[0], &e[1], &e[2], &e[3]);
  EXPECT_EQ(e[0][0].L() + e[1][0].L(), 0);
  EXPECT_EQ(e[2][0].L(), 1280);
  EXPECT_EQ(e[3][0].L(), 1024);

  // Switched off again: the next window keeps the size it was opened with.
  const std::int64_t plain = openWindow(320, 240);
  const ScreenPlacement kept = placementOf(nativeWindowOf(plain));
  EXPECT_FALSE(kept.frameless);
  EXPECT_LT(kept.width, 1280);
}
