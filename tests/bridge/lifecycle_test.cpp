// Engine start, output routing and verbosity, and the default window, through the C interface.
#include <string>
#include <vector>

#include "HalconCpp.h"
#include "bridge_client.h"
#include "test_framework.h"

namespace {

using Lines = std::vector<std::string>;

class Lifecycle : public testing::Test {
 protected:
  void SetUp() override {
    startEngine();
    closeAllWindows();
    waitForNoUserThreads();
  }
  void TearDown() override {
    injectFault("none");
    closeAllWindows();
    bridge().hsetVerbosity(0);
  }
};

std::int64_t activeWindow() {
  const std::vector<Tuple> outputs = run("active_window");
  return outputs.empty() ? -2 : bridge().hgetTupleElemLong(outputs[0].get(), 0);
}

}  // namespace

TEST_F(Lifecycle, WithoutHandlersMessagesAreDroppedAndCallsSucceed) {
  EXPECT_TRUE(Record(bridge().hsetVerbosity(1)) == nullptr);
  run("warn_low_level");
  EXPECT_TRUE(Record(bridge().hopenDefaultWindow()) == nullptr);
  EXPECT_TRUE(Record(bridge().hprepareShutdown()) == nullptr);
  // The same calls with handlers do produce messages, so the ones above were dropped.
  const HandlerOutput output;
  run("warn_low_level");
  closeAllWindows();
  EXPECT_TRUE(Record(bridge().hopenDefaultWindow()) == nullptr);
  EXPECT_EQ(output.error().size(), 1u);
  EXPECT_EQ(output.normal().size(), 1u);
}

TEST_F(Lifecycle, LowLevelErrorsStillReportedAfterVerbosityOff) {
  const HandlerOutput output;
  bridge().hsetVerbosity(1);
  bridge().hsetVerbosity(0);
  run("warn_low_level");
  ASSERT_EQ(output.error().size(), 1u);
  EXPECT_EQ(output.error()[0].rfind("low level error: wait_seconds: negative time", 0), 0u);
  // Not verbose: no window ID line, no shut-down details.
  EXPECT_TRUE(Record(bridge().hopenDefaultWindow()) == nullptr);
  EXPECT_TRUE(Record(bridge().hprepareShutdown()) == nullptr);
  EXPECT_EQ(output.normal(), Lines{});
  EXPECT_EQ(output.error().size(), 1u);
}

TEST_F(Lifecycle, VerboseDefaultWindowNamesItsHandle) {
  const HandlerOutput output;
  bridge().hsetVerbosity(1);
  EXPECT_TRUE(Record(bridge().hopenDefaultWindow()) == nullptr);
  const std::int64_t window = activeWindow();
  EXPECT_NE(window, -1);
  EXPECT_EQ(output.normal(), Lines{"Opened default window with ID " + std::to_string(window)});
  EXPECT_EQ(output.error(), Lines{});
  // A black 640 x 480 window showing the whole of a 640 x 480 image.
  HalconCpp::HTuple row, column, width, height, row2, column2;
  HalconCpp::GetWindowExtents(HalconCpp::HTuple(window), &row, &column, &width, &height);
  EXPECT_EQ(width[0].L(), 640);
  EXPECT_EQ(height[0].L(), 480);
  HalconCpp::GetPart(HalconCpp::HTuple(window), &row, &column, &row2, &column2);
  EXPECT_EQ(row[0].L() + column[0].L(), 0);
  EXPECT_EQ(row2[0].L(), 479);
  EXPECT_EQ(column2[0].L(), 639);
}

TEST_F(Lifecycle, FailingDefaultWindowReportsOnceAndSucceeds) {
  const HandlerOutput output;
  bridge().hsetVerbosity(1);
  injectFault("vision");  // the next OpenWindow fails with 21091
  EXPECT_TRUE(Record(bridge().hopenDefaultWindow()) == nullptr);
  // Setting the part then finds no window, which is no failure.
  EXPECT_EQ(output.error(), Lines{"Opened default window failed: error 21091"});
  const std::string emptyHandle = HalconCpp::HTuple().ToString().Text();
  EXPECT_EQ(output.normal(), Lines{"Opened default window with ID " + emptyHandle});
  EXPECT_EQ(activeWindow(), -1);
}

TEST_F(Lifecycle, CallbackThatCannotBeRegisteredIsReported) {
  const HandlerOutput output;
  injectFault("exception");  // SetSystem fails
  EXPECT_TRUE(Record(bridge().hsetVerbosity(1)) == nullptr);
  EXPECT_EQ(output.error(), Lines{"could not set \"do_low_error\" handler"});
}

TEST(BridgeFile, NamedAfterTheLibraryVersion) {
  TupleHandle handle = nullptr;
  Record error(bridge().hgetsystem("version", &handle));
  ASSERT_FALSE(error);
  const Tuple version(handle);
  const std::string text = textOf(version, 0);
  // major.minor of the version the library reports, e.g. 13.0 of 13.0.1.
  const std::string majorMinor = text.substr(0, text.find('.', text.find('.') + 1));
  const std::string name = bridgeFileName();
  EXPECT_EQ(name.substr(0, name.rfind('.')), "brimlet-" + majorMinor);
}
