#include <unistd.h>

#include <fstream>
#include <map>
#include <memory>

#include "native_probe.h"

// Last: Xlibint.h, for the raw request below, defines min and max as macros.
#include <X11/Xlib.h>
#include <X11/Xlibint.h>
#include <X11/Xutil.h>
#include <X11/extensions/XResproto.h>
#undef min
#undef max

namespace {

struct DisplayCloser {
  void operator()(Display* d) const { XCloseDisplay(d); }
};
using DisplayPtr = std::unique_ptr<Display, DisplayCloser>;

struct ImageDestroyer {
  void operator()(XImage* image) const { XDestroyImage(image); }
};

// Resource counts by type name of the client owning `xid`, through the X-Resource extension
// (QueryClientResources), spoken directly since its client library is not installed.
std::map<std::string, int64_t> clientResources(Display* dpy, XID xid) {
  std::map<std::string, int64_t> counts;
  int major = 0, event = 0, error = 0;
  if (!XQueryExtension(dpy, XRES_NAME, &major, &event, &error)) return counts;
  std::vector<xXResType> types;
  LockDisplay(dpy);
  xXResQueryClientResourcesReq* req;
  GetReq(XResQueryClientResources, req);
  req->reqType = static_cast<CARD8>(major);
  req->XResReqType = X_XResQueryClientResources;
  req->xid = static_cast<CARD32>(xid);
  xXResQueryClientResourcesReply rep;
  if (_XReply(dpy, reinterpret_cast<xReply*>(&rep), 0, xFalse)) {
    types.resize(rep.num_types);
    for (auto& type : types) _XRead(dpy, reinterpret_cast<char*>(&type), sz_xXResType);
  }
  UnlockDisplay(dpy);
  SyncHandle();
  for (const auto& type : types) {
    char* name = XGetAtomName(dpy, type.resource_type);
    counts[name ? name : "?"] += type.count;
    XFree(name);
  }
  return counts;
}

}  // namespace

Picture captureWindow(int64_t nativeHandle, int width, int height) {
  Picture picture;
  DisplayPtr dpy(XOpenDisplay(nullptr));
  if (!dpy || !nativeHandle) return picture;
  std::unique_ptr<XImage, ImageDestroyer> image(
      XGetImage(dpy.get(), static_cast<Window>(nativeHandle), 0, 0, static_cast<unsigned>(width),
                static_cast<unsigned>(height), AllPlanes, ZPixmap));
  if (!image) return picture;
  picture.width = width;
  picture.height = height;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const unsigned long p = XGetPixel(image.get(), x, y);
      picture.pixels.push_back({static_cast<uint8_t>((p & image->red_mask) >> 16),
                                static_cast<uint8_t>((p & image->green_mask) >> 8),
                                static_cast<uint8_t>(p & image->blue_mask)});
    }
  }
  return picture;
}

std::array<int64_t, 4> nativeGeometry(int64_t nativeHandle) {
  DisplayPtr dpy(XOpenDisplay(nullptr));
  XWindowAttributes attributes;
  int x = 0, y = 0;
  Window child;
  if (!dpy || !XGetWindowAttributes(dpy.get(), static_cast<Window>(nativeHandle), &attributes) ||
      !XTranslateCoordinates(dpy.get(), static_cast<Window>(nativeHandle),
                             DefaultRootWindow(dpy.get()), 0, 0, &x, &y, &child))
    return {-1, -1, -1, -1};
  return {x, y, attributes.width, attributes.height};
}

NativeResources nativeResources(int64_t libraryWindow) {
  NativeResources result;
  DisplayPtr dpy(XOpenDisplay(nullptr));
  if (!dpy || !libraryWindow) {
    result.detail = "no X server";
    return result;
  }
  for (const auto& [type, count] : clientResources(dpy.get(), static_cast<XID>(libraryWindow))) {
    result.total += count;
    result.detail += (result.detail.empty() ? "" : ", ") + type + " " + std::to_string(count);
  }
  result.detail = "X resources of the library's connection: " + result.detail;
  return result;
}

int64_t residentBytes() {
  std::ifstream statm("/proc/self/statm");
  int64_t size = 0, resident = 0;
  statm >> size >> resident;
  return resident * sysconf(_SC_PAGESIZE);
}
