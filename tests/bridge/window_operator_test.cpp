// The window operators called directly, for what scripts cannot bring about: failures of the
// vision library in the middle of an operation, and the object's own lifetime.
#include <memory>

#include "core_fixture.h"
#include "fullscreen.h"
#include "test_framework.h"
#include "window_operator_impl.h"

using brimlet::HDevOperatorImplCppNative;
using HalconCpp::HTuple;

namespace {

HTuple openWindow(HDevOperatorImplCppNative& impl, int width = 320, int height = 240) {
  HTuple window;
  EXPECT_EQ(impl.OnOpenWindow(HTuple(0), HTuple(0), HTuple(width), HTuple(height), HTuple("black"),
                              &window),
            2);
  return window;
}

HTuple activeWindow(HDevOperatorImplCppNative& impl) {
  HTuple window;
  EXPECT_EQ(impl.OnGetActiveWindow(&window), 2);
  return window;
}

}  // namespace

TEST(WindowOperators, ActiveWindowWithoutOutArgument) {
  HDevOperatorImplCppNative impl;
  EXPECT_EQ(impl.OnGetActiveWindow(nullptr), 2);
  EXPECT_EQ(activeWindow(impl)[0].L(), -1);
}

TEST(WindowOperators, FailedOpenLeavesTheStack) {
  HDevOperatorImplCppNative impl;
  const HTuple first = openWindow(impl);
  HTuple window;
  // The vision library refuses a width of 0 (its parameter 3).
  EXPECT_EQ(
      impl.OnOpenWindow(HTuple(0), HTuple(0), HTuple(0), HTuple(240), HTuple("black"), &window),
      1303);
  EXPECT_TRUE(activeWindow(impl) == first);
  EXPECT_EQ(impl.OnCloseWindow(), 2);
  EXPECT_EQ(activeWindow(impl)[0].L(), -1);
}

TEST(WindowOperators, FailedCloseKeepsTheEntry) {
  auto impl = std::make_unique<HDevOperatorImplCppNative>();
  const HTuple first = openWindow(*impl);
  const HTuple second = openWindow(*impl);
  HalconCpp::CloseWindow(second);  // behind the implementation's back
  EXPECT_NE(impl->OnCloseWindow(), 2);
  EXPECT_TRUE(activeWindow(*impl) == second);
  // Its destructor closes no window.
  impl.reset();
  EXPECT_TRUE(windowExists(first));
  HalconCpp::CloseWindow(first);
}

TEST(WindowOperators, FailingOperatorReturnsItsCode) {
  HDevOperatorImplCppNative impl;
  openWindow(impl);
  EXPECT_EQ(impl.OnSetPart(HTuple(0), HTuple(0), HTuple("a"), HTuple(10)), 1203);
  EXPECT_EQ(impl.OnSetWindowExtents(HTuple(0), HTuple(0), HTuple(0), HTuple(10)), 1304);
  EXPECT_EQ(impl.OnSetActiveWindow(HTuple("w")), 1201);
  EXPECT_EQ(impl.OnCloseWindow(), 2);
}

TEST(WindowOperators, OperationsWithoutAWindowDoNothing) {
  HDevOperatorImplCppNative impl;
  EXPECT_EQ(impl.OnClearWindow(), 2);
  EXPECT_EQ(impl.OnCloseWindow(), 2);
  EXPECT_EQ(impl.OnDisplayObject(makeImage(8, 8)), 2);
  EXPECT_EQ(impl.OnDisplayText(HTuple("t"), HTuple("nowhere"), HTuple(0), HTuple(0),
                               HTuple("white"), HTuple(), HTuple()),
            2);
  EXPECT_EQ(impl.OnSetWindowExtents(HTuple(-1), HTuple(-1), HTuple(-1), HTuple(-1)), 2);
  // No parameter check either.
  EXPECT_EQ(impl.OnSetPart(HTuple("a"), HTuple(), HTuple(), HTuple()), 2);
  EXPECT_EQ(impl.OnSetColor(HTuple("red")), 2);
  // A setting is checked before the window is looked at.
  EXPECT_EQ(impl.OnSetColor(HTuple(3)), 1201);
  EXPECT_EQ(activeWindow(impl)[0].L(), -1);
}

TEST(Fullscreen, OtherFailuresAreUnknownErrors) {
  const ErrorCapture errors;
  // Not a window of the library: GetOsWindowHandle fails.
  brimlet::changeWindowFullscreen(HTuple(987654));
  EXPECT_EQ(errors.lines(), std::vector<std::string>{"unknown error in changeWindowFullscreen"});
}
