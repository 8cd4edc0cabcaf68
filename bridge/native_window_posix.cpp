// X11: the frame comes off through the Motif window-manager hints, the monitor from XRandR. The
// bridge uses a connection of its own, so it never shares one with the library's window thread.
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include <algorithm>
#include <atomic>
#include <limits>
#include <stdexcept>
#include <vector>

#include "fullscreen.h"

namespace brimlet {

namespace {

struct DisplayCloser {
  void operator()(Display* display) const { XCloseDisplay(display); }
};
using DisplayConnection = std::unique_ptr<Display, DisplayCloser>;

struct ScreenResourcesFree {
  void operator()(XRRScreenResources* resources) const { XRRFreeScreenResources(resources); }
};
struct CrtcInfoFree {
  void operator()(XRRCrtcInfo* info) const { XRRFreeCrtcInfo(info); }
};

// Xlib reports failed requests to one process-wide handler, and its default handler ends the
// process. While a trap is set, failures on the trapped connection are only noted; those of
// other connections (the library's own) still go to the handler installed before.
class ErrorTrap {
 public:
  explicit ErrorTrap(Display* display) {
    trapped_.store(display);
    failed_.store(false);
    previous_.store(XSetErrorHandler(&ErrorTrap::onError));
  }
  ~ErrorTrap() {
    XSetErrorHandler(previous_.load());
    trapped_.store(nullptr);
  }
  ErrorTrap(const ErrorTrap&) = delete;
  ErrorTrap& operator=(const ErrorTrap&) = delete;

  // Waits until the server has handled every request so far; throws if one failed.
  void check(Display* display) {
    XSync(display, False);
    if (failed_.load()) throw std::runtime_error("X request failed");
  }

 private:
  static int onError(Display* display, XErrorEvent* event) {
    if (display == trapped_.load()) {
      failed_.store(true);
      return 0;
    }
    const XErrorHandler previous = previous_.load();
    return previous ? previous(display, event) : 0;
  }

  static inline std::atomic<Display*> trapped_{nullptr};
  static inline std::atomic<bool> failed_{false};
  static inline std::atomic<XErrorHandler> previous_{nullptr};
};

// The window belongs to the vision library; this only addresses it.
class X11Window final : public NativeWindow {
 public:
  X11Window(DisplayConnection display, ::Window window)
      : display_(std::move(display)), trap_(display_.get()), window_(window) {}

  void removeFrame() override {
    Display* d = display_.get();
    const Atom hints = XInternAtom(d, "_MOTIF_WM_HINTS", False);
    // flags, functions, decorations, input mode, status: flag 2 gives the decorations, none.
    long value[5] = {2, 0, 0, 0, 0};
    XChangeProperty(d, window_, hints, hints, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(value), 5);
    trap_.check(d);
  }

  MonitorRect nearestMonitor() override {
    Display* d = display_.get();
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(d, window_, &attributes)) throw std::runtime_error("no such window");
    int x = 0, y = 0;
    ::Window child;
    XTranslateCoordinates(d, window_, attributes.root, 0, 0, &x, &y, &child);
    const std::vector<MonitorRect> monitors = activeMonitors(attributes.root);
    trap_.check(d);
    // Without XRandR the screen is the one monitor.
    if (monitors.empty())
      return {0, 0, WidthOfScreen(attributes.screen), HeightOfScreen(attributes.screen)};
    const std::int64_t cx = x + attributes.width / 2, cy = y + attributes.height / 2;
    return *std::min_element(monitors.begin(), monitors.end(),
                             [&](const MonitorRect& a, const MonitorRect& b) {
                               return distance(a, cx, cy) < distance(b, cx, cy);
                             });
  }

  void cover(const MonitorRect& area) override {
    Display* d = display_.get();
    XMoveResizeWindow(d, window_, static_cast<int>(area.left), static_cast<int>(area.top),
                      static_cast<unsigned>(area.right - area.left),
                      static_cast<unsigned>(area.bottom - area.top));
    trap_.check(d);
  }

 private:
  // The areas of the CRTCs that show something.
  std::vector<MonitorRect> activeMonitors(::Window root) {
    Display* d = display_.get();
    std::vector<MonitorRect> monitors;
    int eventBase = 0, errorBase = 0;
    if (!XRRQueryExtension(d, &eventBase, &errorBase)) return monitors;
    std::unique_ptr<XRRScreenResources, ScreenResourcesFree> resources(
        XRRGetScreenResourcesCurrent(d, root));
    if (!resources) return monitors;
    for (int i = 0; i < resources->ncrtc; ++i) {
      std::unique_ptr<XRRCrtcInfo, CrtcInfoFree> crtc(
          XRRGetCrtcInfo(d, resources.get(), resources->crtcs[i]));
      if (crtc && crtc->mode != None && crtc->width > 0 && crtc->height > 0)
        monitors.push_back({crtc->x, crtc->y, crtc->x + static_cast<std::int64_t>(crtc->width),
                            crtc->y + static_cast<std::int64_t>(crtc->height)});
    }
    return monitors;
  }

  // Squared distance from a point to a rectangle, 0 inside it.
  static std::int64_t distance(const MonitorRect& r, std::int64_t x, std::int64_t y) {
    const std::int64_t dx = x < r.left ? r.left - x : x >= r.right ? x - r.right + 1 : 0;
    const std::int64_t dy = y < r.top ? r.top - y : y >= r.bottom ? y - r.bottom + 1 : 0;
    return dx * dx + dy * dy;
  }

  DisplayConnection display_;
  ErrorTrap trap_;
  ::Window window_;
};

}  // namespace

std::unique_ptr<NativeWindow> NativeWindow::attach(std::int64_t handle) {
  if (handle < 0 || handle > std::numeric_limits<std::uint32_t>::max())
    throw std::runtime_error("not an X window id");
  DisplayConnection display(XOpenDisplay(nullptr));
  if (!display) throw std::runtime_error("cannot open the X display");
  return std::make_unique<X11Window>(std::move(display), static_cast<::Window>(handle));
}

}  // namespace brimlet
