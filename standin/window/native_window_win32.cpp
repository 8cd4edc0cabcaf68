// Screen windows on Windows. All of them belong to one window thread (the library's
// "use_window_thread"), which creates and destroys them and runs their message loop; engine
// threads ask it through a message-only window with SendMessageW, which returns when the
// work is done. A window paints its own copy of the picture on WM_PAINT, under a lock that
// nothing else is held with, so the window thread never waits for an engine thread.
#include <windows.h>

#include <algorithm>
#include <future>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "native_window.h"

namespace standin::window {
namespace {

constexpr UINT kCreate = WM_APP + 1;   // lParam: CreateRequest*, result: the HWND
constexpr UINT kDestroy = WM_APP + 2;  // lParam: the HWND
constexpr wchar_t kWindowClass[] = L"VelotraxStandinWindow";
constexpr wchar_t kControllerClass[] = L"VelotraxStandinController";
constexpr DWORD kStyle = WS_OVERLAPPEDWINDOW;

int coordinate(int64_t v) {
  return static_cast<int>(std::clamp<int64_t>(v, -1000000, 1000000));
}

class Win32Window;

struct CreateRequest {
  RECT client;  // screen position and size of the drawing area
  Win32Window* owner;
};

// The outer rectangle of a window with the given styles whose client area is `client`.
RECT outerRect(RECT client, DWORD style, DWORD exStyle) {
  AdjustWindowRectEx(&client, style, FALSE, exStyle);
  return client;
}

class WindowThread {
 public:
  // The running thread, started on first use; null when windows cannot be made.
  static WindowThread* get() {
    static WindowThread* thread = start();
    return thread;
  }

  HWND create(const CreateRequest& request) {
    return reinterpret_cast<HWND>(
        SendMessageW(controller_, kCreate, 0, reinterpret_cast<LPARAM>(&request)));
  }
  void destroy(HWND window) {
    SendMessageW(controller_, kDestroy, 0, reinterpret_cast<LPARAM>(window));
  }

 private:
  static WindowThread* start();
  static void run(std::promise<HWND>* ready);
  static LRESULT CALLBACK controllerProc(HWND, UINT, WPARAM, LPARAM);

  HWND controller_ = nullptr;
};

// Owns a window of the window thread and has the thread destroy it; move-only.
class HwndOwner {
 public:
  HwndOwner() = default;
  explicit HwndOwner(HWND window) : window_(window) {}
  HwndOwner(HwndOwner&& other) noexcept : window_(std::exchange(other.window_, nullptr)) {}
  HwndOwner& operator=(HwndOwner&& other) noexcept {
    std::swap(window_, other.window_);
    return *this;
  }
  ~HwndOwner() {
    if (window_) WindowThread::get()->destroy(window_);
  }
  HWND get() const { return window_; }

 private:
  HWND window_ = nullptr;
};

class Win32Window : public NativeWindow {
 public:
  bool create(int64_t row, int64_t column, const Framebuffer& fb) {
    copy(fb, {0, 0, fb.width(), fb.height()}, true);
    const int left = coordinate(column), top = coordinate(row);
    CreateRequest request{{left, top, left + fb.width(), top + fb.height()}, this};
    window_ = HwndOwner(WindowThread::get()->create(request));
    return window_.get() != nullptr;
  }

  int64_t handle() const override {
    return static_cast<int64_t>(reinterpret_cast<intptr_t>(window_.get()));
  }
  int64_t displayHandle() const override { return 0; }

  void show(const Framebuffer& fb, Rect area) override {
    copy(fb, area, false);
    RECT rect{area.x0, area.y0, area.x1, area.y1};
    InvalidateRect(window_.get(), &rect, FALSE);
  }

  void setExtents(int64_t row, int64_t column, const Framebuffer& fb) override {
    copy(fb, {0, 0, fb.width(), fb.height()}, true);
    HWND hwnd = window_.get();
    const int left = coordinate(column), top = coordinate(row);
    const RECT outer = outerRect({left, top, left + fb.width(), top + fb.height()},
                                 static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE)),
                                 static_cast<DWORD>(GetWindowLongW(hwnd, GWL_EXSTYLE)));
    // Not under the picture's lock: the window thread handles this call's messages.
    SetWindowPos(hwnd, nullptr, outer.left, outer.top, outer.right - outer.left,
                 outer.bottom - outer.top, SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(hwnd, nullptr, FALSE);
  }

  // WM_PAINT, on the window thread.
  void paint(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    {
      std::lock_guard<std::mutex> guard(lock_);
      BITMAPINFO info{};
      info.bmiHeader.biSize = sizeof(info.bmiHeader);
      info.bmiHeader.biWidth = width_;
      info.bmiHeader.biHeight = -height_;  // top row first
      info.bmiHeader.biPlanes = 1;
      info.bmiHeader.biBitCount = 32;
      info.bmiHeader.biCompression = BI_RGB;
      SetDIBitsToDevice(dc, 0, 0, static_cast<DWORD>(width_), static_cast<DWORD>(height_), 0, 0, 0,
                        static_cast<UINT>(height_), pixels_.data(), &info, DIB_RGB_COLORS);
    }
    EndPaint(hwnd, &ps);
  }

 private:
  // Copies an area of fb into the window's own picture (BGRX); resize takes fb's size.
  void copy(const Framebuffer& fb, Rect area, bool resize) {
    std::lock_guard<std::mutex> guard(lock_);
    if (resize) {
      width_ = fb.width();
      height_ = fb.height();
      pixels_.assign(static_cast<size_t>(width_) * height_, 0);
    }
    for (int y = area.y0; y < area.y1; ++y) {
      const uint8_t* src = fb.row(y);
      uint32_t* dst = &pixels_[static_cast<size_t>(y) * width_];
      for (int x = area.x0; x < area.x1; ++x)
        dst[x] = (uint32_t{src[x * 3]} << 16) | (uint32_t{src[x * 3 + 1]} << 8) | src[x * 3 + 2];
    }
  }

  std::mutex lock_;
  int width_ = 0, height_ = 0;
  std::vector<uint32_t> pixels_;
  HwndOwner window_;  // declared last: destroyed before the picture it paints
};

LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NCCREATE: {
      auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
      break;
    }
    case WM_PAINT:
      if (auto* owner = reinterpret_cast<Win32Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA))) {
        owner->paint(hwnd);
        return 0;
      }
      break;
    case WM_GETMINMAXINFO:
      // Drawing areas as small as one pixel, not the system's minimum for captioned windows.
      reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = POINT{1, 1};
      return 0;
    case WM_ERASEBKGND:
      return 1;  // WM_PAINT covers every pixel
    case WM_CLOSE:
      return 0;  // the script decides when its windows close
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK WindowThread::controllerProc(HWND hwnd, UINT message, WPARAM wParam,
                                              LPARAM lParam) {
  if (message == kCreate) {
    const auto* request = reinterpret_cast<const CreateRequest*>(lParam);
    const RECT outer = outerRect(request->client, kStyle, 0);
    HWND window = CreateWindowExW(0, kWindowClass, L"Stand-in window", kStyle, outer.left,
                                  outer.top, outer.right - outer.left, outer.bottom - outer.top,
                                  nullptr, nullptr, GetModuleHandleW(nullptr), request->owner);
    if (window) {
      ShowWindow(window, SW_SHOWNOACTIVATE);
      UpdateWindow(window);
    }
    return reinterpret_cast<LRESULT>(window);
  }
  if (message == kDestroy) {
    DestroyWindow(reinterpret_cast<HWND>(lParam));
    return 0;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

void WindowThread::run(std::promise<HWND>* ready) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = windowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  windowClass.lpszClassName = kWindowClass;
  WNDCLASSEXW controllerClass{};
  controllerClass.cbSize = sizeof(controllerClass);
  controllerClass.lpfnWndProc = controllerProc;
  controllerClass.hInstance = instance;
  controllerClass.lpszClassName = kControllerClass;
  HWND controller = nullptr;
  if (RegisterClassExW(&windowClass) && RegisterClassExW(&controllerClass))
    controller = CreateWindowExW(0, kControllerClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                 instance, nullptr);
  ready->set_value(controller);
  if (!controller) return;
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

WindowThread* WindowThread::start() {
  std::promise<HWND> ready;
  std::future<HWND> controller = ready.get_future();
  // The thread runs until the process ends.
  std::thread(run, &ready).detach();
  HWND hwnd = controller.get();
  if (!hwnd) return nullptr;
  auto* thread = new WindowThread;
  thread->controller_ = hwnd;
  return thread;
}

}  // namespace

std::unique_ptr<NativeWindow> openNativeWindow(int64_t row, int64_t column, const Framebuffer& fb) {
  if (!WindowThread::get()) return nullptr;
  auto window = std::make_unique<Win32Window>();
  if (!window->create(row, column, fb)) return nullptr;
  return window;
}

}  // namespace standin::window
