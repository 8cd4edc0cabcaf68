// Screen windows on an X server (Linux). One connection, opened on first use when DISPLAY
// names a server that answers, serves every window. Each window shows a server-side pixmap
// as its background, so the server repaints exposed parts itself and no thread has to wait
// for events; drawing updates the pixmap and clears the changed area.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <atomic>
#include <bit>
#include <cstdlib>
#include <mutex>
#include <utility>
#include <vector>

#include "native_window.h"

namespace standin::window {
namespace {

// X positions are 16-bit.
int16_t position(int64_t v) {
  return static_cast<int16_t>(std::clamp<int64_t>(v, INT16_MIN, INT16_MAX));
}

// Errors of the library's requests (a window the server refused) end no process: they are
// counted and the requests' owners check the count.
std::atomic<unsigned long> gErrors{0};
int countError(Display*, XErrorEvent*) {
  gErrors.fetch_add(1);
  return 0;
}

struct DisplayCloser {
  void operator()(Display* d) const { XCloseDisplay(d); }
};

// The process's connection to the X server, shared by its windows, which keep it open.
class Connection {
 public:
  // The connection, or null when there is no usable server.
  static std::shared_ptr<Connection> get() {
    static std::mutex lock;
    static std::shared_ptr<Connection> connection;
    static bool tried = false;
    std::lock_guard<std::mutex> guard(lock);
    if (!tried) {
      tried = true;
      connection = open();
    }
    return connection;
  }

  Display* display() const { return display_.get(); }
  GC gc() const { return gc_; }
  int depth() const { return depth_; }
  Visual* visual() const { return visual_; }
  // The server's pixel value of an RGB colour.
  uint32_t pixel(const uint8_t* rgb) const {
    return (uint32_t{rgb[0]} << shift_[0]) | (uint32_t{rgb[1]} << shift_[1]) |
           (uint32_t{rgb[2]} << shift_[2]);
  }

  ~Connection() {
    if (gc_) XFreeGC(display(), gc_);
  }

 private:
  static std::shared_ptr<Connection> open() {
    const char* name = std::getenv("DISPLAY");
    if (!name || !*name) return nullptr;
    XInitThreads();
    std::unique_ptr<Display, DisplayCloser> display(XOpenDisplay(name));
    if (!display) return nullptr;
    Display* d = display.get();
    const int screen = DefaultScreen(d);
    Visual* visual = DefaultVisual(d, screen);
    const int depth = DefaultDepth(d, screen);
    // Pictures go to the server as 32-bit true-colour pixels; other screens stay unused.
    if (visual->c_class != TrueColor || (depth != 24 && depth != 32) ||
        visual->red_mask != 0xff0000 || visual->green_mask != 0xff00 || visual->blue_mask != 0xff)
      return nullptr;
    XSetErrorHandler(countError);
    auto connection = std::shared_ptr<Connection>(new Connection);
    connection->display_ = std::move(display);
    connection->visual_ = visual;
    connection->depth_ = depth;
    connection->gc_ = XCreateGC(d, RootWindow(d, screen), 0, nullptr);
    return connection;
  }

  Connection() = default;
  std::unique_ptr<Display, DisplayCloser> display_;
  Visual* visual_ = nullptr;
  int depth_ = 0;
  GC gc_ = nullptr;
  const int shift_[3] = {16, 8, 0};
};

// A server resource freed through the connection it belongs to (XDestroyWindow,
// XFreePixmap); move-only.
template <int (*Free)(Display*, XID)>
class XResource {
 public:
  XResource() = default;
  XResource(std::shared_ptr<Connection> connection, XID id)
      : connection_(std::move(connection)), id_(id) {}
  XResource(XResource&& other) noexcept
      : connection_(std::move(other.connection_)), id_(std::exchange(other.id_, 0)) {}
  XResource& operator=(XResource&& other) noexcept {
    if (this != &other) {
      reset();
      connection_ = std::move(other.connection_);
      id_ = std::exchange(other.id_, 0);
    }
    return *this;
  }
  ~XResource() { reset(); }
  XID id() const { return id_; }

 private:
  void reset() {
    if (!id_) return;
    Free(connection_->display(), id_);
    XFlush(connection_->display());  // the server frees it now, not with the next request
    id_ = 0;
  }
  std::shared_ptr<Connection> connection_;
  XID id_ = 0;
};

int destroyWindow(Display* d, XID id) {
  return XDestroyWindow(d, id);
}
int freePixmap(Display* d, XID id) {
  return XFreePixmap(d, id);
}
using WindowOwner = XResource<destroyWindow>;
using PixmapOwner = XResource<freePixmap>;

class X11Window : public NativeWindow {
 public:
  X11Window(std::shared_ptr<Connection> connection) : connection_(std::move(connection)) {}

  // Creates the pixmap and the window; false when the server refused them.
  bool create(int64_t row, int64_t column, const Framebuffer& fb) {
    Display* d = connection_->display();
    const unsigned long errors = gErrors.load();
    pixmap_ = newPixmap(fb);
    XSetWindowAttributes attributes{};
    attributes.background_pixmap = pixmap_.id();
    attributes.bit_gravity = NorthWestGravity;
    window_ =
        WindowOwner(connection_,
                    XCreateWindow(d, DefaultRootWindow(d), position(column), position(row),
                                  fb.width(), fb.height(), 0, connection_->depth(), InputOutput,
                                  connection_->visual(), CWBackPixmap | CWBitGravity, &attributes));
    XSizeHints hints{};
    hints.flags = USPosition | USSize;
    hints.x = position(column);
    hints.y = position(row);
    hints.width = fb.width();
    hints.height = fb.height();
    XSetWMNormalHints(d, window_.id(), &hints);
    XStoreName(d, window_.id(), "Stand-in window");
    // The window manager's close button sends a message instead of ending the connection;
    // the script decides when its windows close.
    Atom deleteWindow = XInternAtom(d, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(d, window_.id(), &deleteWindow, 1);
    upload(fb, {0, 0, fb.width(), fb.height()});
    XMapWindow(d, window_.id());
    XSync(d, False);
    return gErrors.load() == errors;
  }

  int64_t handle() const override { return static_cast<int64_t>(window_.id()); }
  int64_t displayHandle() const override {
    return static_cast<int64_t>(reinterpret_cast<intptr_t>(connection_->display()));
  }

  void show(const Framebuffer& fb, Rect area) override {
    upload(fb, area);
    XClearArea(connection_->display(), window_.id(), area.x0, area.y0,
               static_cast<unsigned>(area.x1 - area.x0), static_cast<unsigned>(area.y1 - area.y0),
               False);
    XFlush(connection_->display());
  }

  void setExtents(int64_t row, int64_t column, const Framebuffer& fb) override {
    Display* d = connection_->display();
    PixmapOwner pixmap = newPixmap(fb);
    std::swap(pixmap_, pixmap);
    upload(fb, {0, 0, fb.width(), fb.height()});
    XSetWindowBackgroundPixmap(d, window_.id(), pixmap_.id());
    XMoveResizeWindow(d, window_.id(), position(column), position(row), fb.width(), fb.height());
    XClearWindow(d, window_.id());
    XFlush(d);
  }

 private:
  PixmapOwner newPixmap(const Framebuffer& fb) {
    Display* d = connection_->display();
    return PixmapOwner(connection_, XCreatePixmap(d, DefaultRootWindow(d), fb.width(), fb.height(),
                                                  static_cast<unsigned>(connection_->depth())));
  }

  // Copies an area of fb into the pixmap.
  void upload(const Framebuffer& fb, Rect area) {
    const int w = area.x1 - area.x0, h = area.y1 - area.y0;
    std::vector<uint32_t> pixels(static_cast<size_t>(w) * h);
    for (int y = 0; y < h; ++y) {
      const uint8_t* src = fb.row(area.y0 + y) + area.x0 * 3;
      for (int x = 0; x < w; ++x)
        pixels[static_cast<size_t>(y) * w + x] = connection_->pixel(src + x * 3);
    }
    Display* d = connection_->display();
    XImage* image =
        XCreateImage(d, connection_->visual(), static_cast<unsigned>(connection_->depth()), ZPixmap,
                     0, reinterpret_cast<char*>(pixels.data()), static_cast<unsigned>(w),
                     static_cast<unsigned>(h), 32, 0);
    if (!image) return;
    if (image->bits_per_pixel != 32) {
      image->data = nullptr;
      XDestroyImage(image);
      return;
    }
    image->byte_order = std::endian::native == std::endian::little ? LSBFirst : MSBFirst;
    XPutImage(d, pixmap_.id(), connection_->gc(), image, 0, 0, area.x0, area.y0,
              static_cast<unsigned>(w), static_cast<unsigned>(h));
    image->data = nullptr;  // the vector owns the pixels
    XDestroyImage(image);
  }

  std::shared_ptr<Connection> connection_;
  PixmapOwner pixmap_;
  WindowOwner window_;  // declared last: destroyed before its pixmap
};

}  // namespace

std::unique_ptr<NativeWindow> openNativeWindow(int64_t row, int64_t column, const Framebuffer& fb) {
  auto connection = Connection::get();
  if (!connection) return nullptr;
  auto window = std::make_unique<X11Window>(std::move(connection));
  if (!window->create(row, column, fb)) return nullptr;
  return window;
}

}  // namespace standin::window
