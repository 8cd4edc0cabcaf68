// The display settings, through scripts the engine runs with the bridge's window operators:
// what a new window receives, in which order, and what is remembered. The vision library's
// setters are observed on their way (setting_spy.h).
#include <string>
#include <vector>

#include "HDevEngineCpp.h"
#include "core_fixture.h"
#include "setting_spy.h"
#include "test_framework.h"
#include "window_operator_impl.h"

using HalconCpp::HTuple;
using Calls = std::vector<SettingCall>;

namespace {

class Settings : public testing::Test {
 protected:
  void SetUp() override {
    HDevEngineCpp::HDevEngine().AddProcedurePath(BRIDGE_TEST_SCRIPTS);
    HDevEngineCpp::HDevEngine().SetHDevOperatorImpl(&impl_, true);
    clearSettingCalls();
  }
  void TearDown() override {
    HDevEngineCpp::HDevEngine().SetHDevOperatorImpl(nullptr, true);
    while (impl_.OnCloseWindow() == 2 && !activeWindowIsNone()) {
    }
  }

  // Runs a script and returns its window handles.
  std::vector<std::int64_t> run(const char* name) {
    HDevEngineCpp::HDevProcedure procedure(name);
    HDevEngineCpp::HDevProcedureCall call(procedure);
    call.Execute();
    std::vector<std::int64_t> windows;
    for (int i = 1; i <= procedure.GetOutputCtrlParamCount(); ++i)
      windows.push_back(call.GetOutputCtrlParamTuple(i)[0].L());
    return windows;
  }

  // The calls made on one window.
  static Calls callsOn(std::int64_t window) {
    Calls on;
    for (const SettingCall& call : settingCalls())
      if (call.window == window) on.push_back(call);
    return on;
  }

  bool activeWindowIsNone() {
    HTuple window;
    impl_.OnGetActiveWindow(&window);
    return window[0].L() == -1;
  }

  brimlet::HDevOperatorImplCppNative impl_;
};

SettingCall call(const char* setter, std::int64_t window, const HTuple& value) {
  return {setter, window, value.ToString().Text()};
}

}  // namespace

TEST_F(Settings, NewWindowReceivesTheInitialSettingsInOrder) {
  const std::int64_t window = run("open_window_default")[0];
  EXPECT_EQ(
      callsOn(window),
      (Calls{call("SetDraw", window, HTuple("fill")), call("SetShape", window, HTuple("original")),
             call("SetLut", window, HTuple("default")), call("SetPaint", window, HTuple("default")),
             call("SetLineWidth", window, HTuple(1)), call("SetColored", window, HTuple(12))}));
}

TEST_F(Settings, NewWindowReceivesTheSettingsChanged) {
  const std::vector<std::int64_t> outputs = run("change_settings");
  const std::int64_t window = outputs[0];
  EXPECT_EQ(outputs[1], 1302);  // a paint mode the first window refused: not remembered
  // In the order of replay, not the order the script set them in.
  const Calls expected{
      call("SetDraw", window, HTuple("margin")), call("SetShape", window, HTuple("rectangle1")),
      call("SetLut", window, HTuple("inverse")), call("SetPaint", window, HTuple("default")),
      call("SetLineWidth", window, HTuple(3)),   call("SetColor", window, HTuple("yellow"))};
  EXPECT_EQ(callsOn(window), expected);
}

TEST_F(Settings, RememberedOnlyWhileAWindowIsOpen) {
  const std::vector<std::int64_t> windows = run("settings_remembered");
  const Calls second = callsOn(windows[1]);
  ASSERT_FALSE(second.empty());
  EXPECT_EQ(second.back(), call("SetColor", windows[1], HTuple("green")));
  // 'blue' came with no window: never applied anywhere.
  const std::string blue = HTuple("blue").ToString().Text();
  for (const SettingCall& made : settingCalls()) EXPECT_NE(made.value, blue);
}

TEST_F(Settings, ColourAfterColouredWins) {
  const std::vector<std::int64_t> windows = run("coloured_then_colour");
  const Calls second = callsOn(windows[1]);
  ASSERT_FALSE(second.empty());
  EXPECT_EQ(second.back(), call("SetColor", windows[1], HTuple("red")));
  for (const SettingCall& made : second) EXPECT_NE(made.setter, "SetColored");
}

TEST_F(Settings, ColouredAfterColourWins) {
  const std::vector<std::int64_t> windows = run("colour_then_coloured");
  const Calls second = callsOn(windows[1]);
  ASSERT_FALSE(second.empty());
  EXPECT_EQ(second.back(), call("SetColored", windows[1], HTuple(3)));
  for (const SettingCall& made : second) EXPECT_NE(made.setter, "SetColor");
}
