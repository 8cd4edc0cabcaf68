// The X11 side of fullscreen windows, on the virtual display the test runs on (1280 x 1024): a
// window of the test's own loses its decorations and covers the monitor.
// The test framework comes first: Xlib defines macros (None, Bool) that clash with its names.
#include "test_framework.h"

#include <X11/Xlib.h>

#include <memory>

#include "fullscreen.h"

using brimlet::MonitorRect;
using brimlet::NativeWindow;

namespace {

struct DisplayCloser {
  void operator()(Display* display) const { XCloseDisplay(display); }
};

// A mapped top-level window, destroyed with the object.
class TestWindow {
 public:
  TestWindow() : display_(XOpenDisplay(nullptr)) {
    if (!display_) return;
    window_ = XCreateSimpleWindow(display_.get(), DefaultRootWindow(display_.get()), 100, 80, 300,
                                  200, 0, 0, 0);
    XMapWindow(display_.get(), window_);
    XSync(display_.get(), False);
  }
  ~TestWindow() {
    if (display_) XDestroyWindow(display_.get(), window_);
  }
  TestWindow(const TestWindow&) = delete;
  TestWindow& operator=(const TestWindow&) = delete;

  Display* display() const { return display_.get(); }
  ::Window id() const { return window_; }

 private:
  std::unique_ptr<Display, DisplayCloser> display_;
  ::Window window_ = 0;
};

}  // namespace

TEST(NativeWindow, CoversTheNearestMonitorWithoutDecorations) {
  const TestWindow window;
  ASSERT_TRUE(window.display() != nullptr);
  const auto native = NativeWindow::attach(static_cast<std::int64_t>(window.id()));
  native->removeFrame();
  const MonitorRect monitor = native->nearestMonitor();
  EXPECT_EQ(monitor.left, 0);
  EXPECT_EQ(monitor.top, 0);
  EXPECT_EQ(monitor.right, 1280);
  EXPECT_EQ(monitor.bottom, 1024);
  native->cover(monitor);

  Display* d = window.display();
  const Atom hints = XInternAtom(d, "_MOTIF_WM_HINTS", False);
  Atom type = 0;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  ASSERT_EQ(XGetWindowProperty(d, window.id(), hints, 0, 5, False, hints, &type, &format, &count,
                               &after, &data),
            Success);
  ASSERT_TRUE(data != nullptr);
  const long* values = reinterpret_cast<const long*>(data);
  EXPECT_EQ(format, 32);
  EXPECT_EQ(count, 5u);
  EXPECT_EQ(values[0], 2);  // the decorations field is set ...
  EXPECT_EQ(values[2], 0);  // ... to none
  XFree(data);

  ::Window root;
  int x = -1, y = -1;
  unsigned width = 0, height = 0, border = 0, depth = 0;
  XGetGeometry(d, window.id(), &root, &x, &y, &width, &height, &border, &depth);
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 0);
  EXPECT_EQ(width, 1280u);
  EXPECT_EQ(height, 1024u);
}

TEST(NativeWindow, UnknownWindowFailsWithoutEndingTheProcess) {
  const auto native = NativeWindow::attach(0x3ffffff);
  EXPECT_THROW(native->removeFrame(), std::runtime_error);
  EXPECT_THROW(native->nearestMonitor(), std::runtime_error);
  EXPECT_THROW(native->cover(MonitorRect{0, 0, 10, 10}), std::runtime_error);
}

TEST(NativeWindow, HandleThatIsNoWindowIdIsRefused) {
  EXPECT_THROW(NativeWindow::attach(-5), std::runtime_error);
  EXPECT_THROW(NativeWindow::attach(std::int64_t{1} << 40), std::runtime_error);
}
