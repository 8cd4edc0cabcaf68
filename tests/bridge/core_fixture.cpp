#include "core_fixture.h"

#include <mutex>

#include "bridge_state.h"

namespace {

std::mutex gLock;
std::vector<std::string> gLines;

void capture(const char* text) {
  std::lock_guard<std::mutex> guard(gLock);
  gLines.emplace_back(text);
}

}  // namespace

HalconCpp::HObject makeImage(int width, int height) {
  static const bool onPath = [] {
    HDevEngineCpp::HDevEngine().AddProcedurePath(BRIDGE_TEST_SCRIPTS);
    return true;
  }();
  (void)onPath;
  HDevEngineCpp::HDevProcedure procedure("make_image");
  HDevEngineCpp::HDevProcedureCall call(procedure);
  call.SetInputCtrlParamTuple(1, HalconCpp::HTuple(width));
  call.SetInputCtrlParamTuple(2, HalconCpp::HTuple(height));
  call.Execute();
  return call.GetOutputIconicParamObject(1);
}

ErrorCapture::ErrorCapture() {
  std::lock_guard<std::mutex> guard(gLock);
  gLines.clear();
  brimlet::bridgeState().errorOutput.store(&capture);
}

ErrorCapture::~ErrorCapture() {
  brimlet::bridgeState().errorOutput.store(nullptr);
}

std::vector<std::string> ErrorCapture::lines() const {
  std::lock_guard<std::mutex> guard(gLock);
  return gLines;
}

bool windowExists(const HalconCpp::HTuple& window) {
  try {
    HalconCpp::HTuple row, column, width, height;
    HalconCpp::GetWindowExtents(window, &row, &column, &width, &height);
    return true;
  } catch (const HalconCpp::HException&) {
    return false;
  }
}
