// The Win32 side of fullscreen windows: a window of the test's own loses its frame styles and
// covers the monitor it is on (the primary one, as the system's metrics give it).
#include <windows.h>

#include <stdexcept>

#include "fullscreen.h"
#include "test_framework.h"

using brimlet::MonitorRect;
using brimlet::NativeWindow;

namespace {

// A desktop of the test's own for this thread's windows. Under Wine the desktop's own process
// then shows them on the test's display, whatever the prefix's first desktop was started on.
class TestDesktop {
 public:
  TestDesktop()
      : previous_(GetThreadDesktop(GetCurrentThreadId())),
        desktop_(
            CreateDesktopW(L"velotrax-bridge-tests", nullptr, nullptr, 0, GENERIC_ALL, nullptr)) {
    if (desktop_) SetThreadDesktop(desktop_);
  }
  ~TestDesktop() {
    if (!desktop_) return;
    SetThreadDesktop(previous_);
    CloseDesktop(desktop_);
  }
  TestDesktop(const TestDesktop&) = delete;
  TestDesktop& operator=(const TestDesktop&) = delete;

 private:
  HDESK previous_;
  HDESK desktop_;
};

// A top-level window with a caption, a sizing frame and edges, destroyed with the object. Not
// shown: Wine would wait for a window manager that the virtual display does not run.
class TestWindow {
 public:
  TestWindow()
      : window_(CreateWindowExW(WS_EX_WINDOWEDGE | WS_EX_CLIENTEDGE | WS_EX_TOOLWINDOW, L"STATIC",
                                L"fullscreen test", WS_OVERLAPPEDWINDOW, 100, 80, 300, 200, nullptr,
                                nullptr, nullptr, nullptr)) {}
  ~TestWindow() {
    if (window_) DestroyWindow(window_);
  }
  TestWindow(const TestWindow&) = delete;
  TestWindow& operator=(const TestWindow&) = delete;

  HWND handle() const { return window_; }

 private:
  HWND window_;
};

std::int64_t handleValue(HWND window) {
  return static_cast<std::int64_t>(reinterpret_cast<INT_PTR>(window));
}

}  // namespace

TEST(NativeWindow, CoversTheNearestMonitorWithoutFrame) {
  const TestDesktop desktop;
  const TestWindow window;
  ASSERT_TRUE(window.handle() != nullptr);
  const auto native = NativeWindow::attach(handleValue(window.handle()));
  native->removeFrame();
  const LONG style = GetWindowLongW(window.handle(), GWL_STYLE);
  const LONG exStyle = GetWindowLongW(window.handle(), GWL_EXSTYLE);
  EXPECT_EQ(style & 0xC40000, 0);
  EXPECT_EQ(exStyle & 0x20301, 0);
  // Other styles stay.
  EXPECT_NE(style & WS_MINIMIZEBOX, 0);
  EXPECT_NE(style & WS_SYSMENU, 0);
  EXPECT_NE(exStyle & WS_EX_TOOLWINDOW, 0);

  const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
  const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
  ASSERT_TRUE(screenWidth > 0 && screenHeight > 0);
  const MonitorRect monitor = native->nearestMonitor();
  EXPECT_EQ(monitor.left, 0);
  EXPECT_EQ(monitor.top, 0);
  EXPECT_EQ(monitor.right, screenWidth);
  EXPECT_EQ(monitor.bottom, screenHeight);
  native->cover(monitor);
  RECT placed{};
  ASSERT_TRUE(GetWindowRect(window.handle(), &placed));
  EXPECT_EQ(placed.left, 0);
  EXPECT_EQ(placed.top, 0);
  EXPECT_EQ(placed.right, screenWidth);
  EXPECT_EQ(placed.bottom, screenHeight);
}

TEST(NativeWindow, DestroyedWindowCannotBePlaced) {
  const TestDesktop desktop;
  HWND gone = nullptr;
  {
    const TestWindow window;
    gone = window.handle();
  }
  const auto native = NativeWindow::attach(handleValue(gone));
  EXPECT_THROW(native->cover(MonitorRect{0, 0, 10, 10}), std::runtime_error);
}
