#include <windows.h>
// After windows.h, which it needs.
#include <psapi.h>

#include "native_probe.h"

namespace {

// Each GDI object or DC the capture makes, released on every path.
struct GdiCapture {
  HWND window;
  HDC windowDc = nullptr, memoryDc = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ previous = nullptr;
  ~GdiCapture() {
    if (previous) SelectObject(memoryDc, previous);
    if (bitmap) DeleteObject(bitmap);
    if (memoryDc) DeleteDC(memoryDc);
    if (windowDc) ReleaseDC(window, windowDc);
  }
};

BOOL CALLBACK countWindow(HWND window, LPARAM counter) {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process == GetCurrentProcessId()) ++*reinterpret_cast<int64_t*>(counter);
  return TRUE;
}

}  // namespace

Picture captureWindow(int64_t nativeHandle, int width, int height) {
  Picture picture;
  HWND window = reinterpret_cast<HWND>(static_cast<intptr_t>(nativeHandle));
  if (!window) return picture;
  UpdateWindow(window);  // has the window thread paint what is pending, now
  GdiCapture capture{window};
  capture.windowDc = GetDC(window);
  capture.memoryDc = CreateCompatibleDC(capture.windowDc);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  capture.bitmap = CreateDIBSection(capture.memoryDc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!capture.windowDc || !capture.memoryDc || !capture.bitmap) return picture;
  capture.previous = SelectObject(capture.memoryDc, capture.bitmap);
  if (!BitBlt(capture.memoryDc, 0, 0, width, height, capture.windowDc, 0, 0, SRCCOPY))
    return picture;
  GdiFlush();
  const auto* pixels = static_cast<const uint32_t*>(bits);
  picture.width = width;
  picture.height = height;
  for (int i = 0; i < width * height; ++i)
    picture.pixels.push_back({static_cast<uint8_t>(pixels[i] >> 16),
                              static_cast<uint8_t>(pixels[i] >> 8),
                              static_cast<uint8_t>(pixels[i])});
  return picture;
}

std::array<int64_t, 4> nativeGeometry(int64_t nativeHandle) {
  HWND window = reinterpret_cast<HWND>(static_cast<intptr_t>(nativeHandle));
  RECT client;
  POINT origin{0, 0};
  if (!GetClientRect(window, &client) || !ClientToScreen(window, &origin)) return {-1, -1, -1, -1};
  return {origin.x, origin.y, client.right - client.left, client.bottom - client.top};
}

NativeResources nativeResources(int64_t) {
  NativeResources result;
  int64_t windows = 0;
  EnumWindows(countWindow, reinterpret_cast<LPARAM>(&windows));
  const DWORD gdi = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  const DWORD user = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
  result.total = windows + gdi + user;
  result.detail = "top-level windows " + std::to_string(windows) + ", GDI objects " +
                  std::to_string(gdi) + ", USER objects " + std::to_string(user);
  if (gdi == 0 && user == 0) result.detail += " (object counts not available here)";
  return result;
}

int64_t residentBytes() {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof(counters);
  if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters))) return 0;
  return static_cast<int64_t>(counters.WorkingSetSize);
}
