// The window operations: each works on the window stack under the window lock.
#include <algorithm>
#include <cstring>

#include "bridge_state.h"
#include "fullscreen.h"
#include "parameter_check.h"
#include "window_operator_impl.h"

namespace brimlet {

namespace {

using HalconCpp::HObject;

// Runs body and turns a vision-library exception into its error code.
template <class Body>
int halconStatus(Body&& body) {
  try {
    body();
    return H_MSG_TRUE;
  } catch (const HalconCpp::HException& e) {
    return e.ErrorCode();
  }
}

bool isNegative(const HTuple& value) {
  if (value.Length() != 1) return false;
  const int type = value[0].Type();
  return (type == kInteger || type == kReal) && value[0].D() < 0;
}

bool isImage(const HObject& element) {
  const HTuple objectClass = element.GetObjClass();
  return objectClass.Length() > 0 && objectClass[0].Type() == kText &&
         std::strcmp(objectClass[0].S().Text(), "image") == 0;
}

}  // namespace

HDevOperatorImplCppNative::~HDevOperatorImplCppNative() = default;

int HDevOperatorImplCppNative::OnClearWindow() {
  std::lock_guard<std::mutex> lock(windowLock_);
  if (windows_.empty()) return H_MSG_TRUE;
  return halconStatus([&] { HalconCpp::ClearWindow(windows_.back().window); });
}

int HDevOperatorImplCppNative::OnCloseWindow() {
  std::lock_guard<std::mutex> lock(windowLock_);
  if (windows_.empty()) return H_MSG_TRUE;
  return halconStatus([&] {
    HalconCpp::CloseWindow(windows_.back().window);
    windows_.pop_back();
  });
}

int HDevOperatorImplCppNative::OnSetActiveWindow(const HTuple& windowHandle) {
  std::lock_guard<std::mutex> lock(windowLock_);
  if (const int status = checkParameter(windowHandle, 1, kInteger); status != H_MSG_TRUE)
    return status;
  const auto found = std::find_if(windows_.begin(), windows_.end(),
                                  [&](const WindowEntry& e) { return e.window == windowHandle; });
  // The entry moves to the top; the others keep their order.
  if (found != windows_.end()) std::rotate(found, found + 1, windows_.end());
  return H_MSG_TRUE;
}

int HDevOperatorImplCppNative::OnGetActiveWindow(HTuple* windowHandle) {
  std::lock_guard<std::mutex> lock(windowLock_);
  if (windowHandle) *windowHandle = windows_.empty() ? HTuple(-1) : windows_.back().window;
  return H_MSG_TRUE;
}

int HDevOperatorImplCppNative::OnDisplayObject(const HObject& object) {
  std::lock_guard<std::mutex> lock(windowLock_);
  if (windows_.empty()) return H_MSG_TRUE;
  return halconStatus([&] {
    adaptPart(object);
    HalconCpp::DispObj(object, windows_.back().window);
  });
}

void HDevOperatorImplCppNative::adaptPart(const HObject& object) {
  const Hlong count = object.CountObj();
  for (Hlong index = 1; index <= count; ++index) {
    const HObject element = object.SelectObj(index);
    if (!isImage(element)) continue;
    const HalconCpp::HImage image(element);
    const Hlong width = image.Width(), height = image.Height();
    WindowEntry& active = windows_.back();
    std::array<HTuple, 4> part;
    HalconCpp::GetPart(active.window, &part[0], &part[1], &part[2], &part[3]);
    const double partHeight = part[2][0].D() - part[0][0].D() + 1;
    const double partWidth = part[3][0].D() - part[1][0].D() + 1;
    const bool sameSize = partHeight == height && partWidth == width;
    // A part this implementation set survives when its size fits the image; one changed by
    // other means only when it is exactly the whole image.
    const bool keep = part == active.storedPart
                          ? sameSize
                          : sameSize && part[0][0].D() == 0 && part[1][0].D() == 0;
    if (!keep) {
      const std::array<HTuple, 4> whole{HTuple(0), HTuple(0), HTuple(height - 1),
                                        HTuple(width - 1)};
      HalconCpp::SetPart(active.window, whole[0], whole[1], whole[2], whole[3]);
      active.storedPart = whole;
    }
    return;
  }
}

int HDevOperatorImplCppNative::OnDisplayText(const HTuple& string, const HTuple& coordSystem,
                                             const HTuple& row, const HTuple& column,
                                             const HTuple& color, const HTuple& genParamName,
                                             const HTuple& genParamValue) {
  std::lock_guard<std::mutex> lock(windowLock_);
  if (windows_.empty()) return H_MSG_TRUE;
  const int status = halconStatus([&] {
    HalconCpp::DispText(windows_.back().window, string, coordSystem, row, column, color,
                        genParamName, genParamValue);
  });
  return status == H_MSG_TRUE ? status : displayTextStatus(status);
}

int HDevOperatorImplCppNative::OnSetWindowExtents(const HTuple& row, const HTuple& column,
                                                  const HTuple& width, const HTuple& height) {
  std::lock_guard<std::mutex> lock(windowLock_);
  if (windows_.empty()) return H_MSG_TRUE;
  return halconStatus([&] {
    const HTuple& window = windows_.back().window;
    std::array<HTuple, 4> extents{row, column, width, height};
    // A negative value keeps the window's current one in that place.
    if (std::any_of(extents.begin(), extents.end(), isNegative)) {
      std::array<HTuple, 4> current;
      HalconCpp::GetWindowExtents(window, &current[0], &current[1], &current[2], &current[3]);
      for (std::size_t i = 0; i < extents.size(); ++i)
        if (isNegative(extents[i])) extents[i] = current[i];
    }
    HalconCpp::SetWindowExtents(window, extents[0], extents[1], extents[2], extents[3]);
  });
}

int HDevOperatorImplCppNative::OnSetPart(const HTuple& row1, const HTuple& column1,
                                         const HTuple& row2, const HTuple& column2) {
  std::lock_guard<std::mutex> lock(windowLock_);
  if (windows_.empty()) return H_MSG_TRUE;
  const std::array<HTuple, 4> part{row1, column1, row2, column2};
  for (int n = 1; n <= 4; ++n)
    if (const int status = checkParameter(part[n - 1], n, kNumber); status != H_MSG_TRUE)
      return status;
  return halconStatus([&] {
    WindowEntry& active = windows_.back();
    HalconCpp::SetPart(active.window, row1, column1, row2, column2);
    active.storedPart = part;
  });
}

int HDevOperatorImplCppNative::OnOpenWindow(const HTuple& row, const HTuple& column,
                                            const HTuple& width, const HTuple& height,
                                            const HTuple& background, HTuple* windowHandle) {
  HTuple ownHandle;
  HTuple& window = windowHandle ? *windowHandle : ownHandle;
  {
    std::lock_guard<std::mutex> lock(windowLock_);
    const HTuple* numbers[] = {&row, &column, &width, &height};
    for (int n = 1; n <= 4; ++n)
      if (const int status = checkParameter(*numbers[n - 1], n, kNumber); status != H_MSG_TRUE)
        return status;
    if (const int status = checkParameter(background, 5, kText); status != H_MSG_TRUE)
      return status;
    const int status = halconStatus([&] {
      HalconCpp::OpenWindow(row, column, width, height, HTuple(0), HTuple("visible"), HTuple(""),
                            &window);
      HalconCpp::SetWindowParam(window, HTuple("background_color"), background);
      HalconCpp::ClearWindow(window);
      WindowEntry entry{window, {}};
      HalconCpp::GetPart(window, &entry.storedPart[0], &entry.storedPart[1], &entry.storedPart[2],
                         &entry.storedPart[3]);
      windows_.push_back(std::move(entry));
    });
    if (status != H_MSG_TRUE) return status;
    if (bridgeState().fullscreen.load()) changeWindowFullscreen(window);
  }
  replaySettings(window);
  return H_MSG_TRUE;
}

int32_t HDevOperatorImplCppNative::dumpWindows(const std::string& directory,
                                               const std::string& baseName) {
  std::string prefix = directory;
  if (!prefix.empty() && prefix.back() != '/' && prefix.back() != '\\') prefix += '/';
  prefix += baseName + "-";
  // Under the lock, so that no window closes or moves while the stack is written.
  std::lock_guard<std::mutex> lock(windowLock_);
  for (size_t place = 1; place <= windows_.size(); ++place) {
    const std::string path = prefix + std::to_string(place) + ".png";
    HalconCpp::DumpWindow(windows_[place - 1].window, HTuple("png"), HTuple(path.c_str()));
  }
  return static_cast<int32_t>(windows_.size());
}

}  // namespace brimlet
