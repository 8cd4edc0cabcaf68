// The window operators as scripts use them: scripts run by the engine through the bridge, and
// the windows they leave read back through the vision library.
#include <array>
#include <string>
#include <vector>

#include "HalconCpp.h"
#include "bridge_client.h"
#include "test_framework.h"

namespace {

using HalconCpp::HTuple;
using Longs = std::vector<std::int64_t>;

class WindowScripts : public testing::Test {
 protected:
  void SetUp() override {
    startEngine();
    closeAllWindows();
  }
  void TearDown() override { closeAllWindows(); }

  static std::int64_t openWindow(std::int64_t width, std::int64_t height) {
    const Tuple w = tupleOf(width), h = tupleOf(height);
    const std::vector<Tuple> outputs = run("open_window", {&w, &h});
    return outputs.empty() ? -1 : bridge().hgetTupleElemLong(outputs[0].get(), 0);
  }

  static void showImage(std::int64_t width, std::int64_t height) {
    const Tuple w = tupleOf(width), h = tupleOf(height);
    run("show_image", {&w, &h});
  }

  // row1, column1, row2, column2 of the window's image part.
  static Longs part(std::int64_t window) {
    std::array<HTuple, 4> p;
    HalconCpp::GetPart(HTuple(window), &p[0], &p[1], &p[2], &p[3]);
    return {p[0][0].L(), p[1][0].L(), p[2][0].L(), p[3][0].L()};
  }
};

}  // namespace

TEST_F(WindowScripts, StackOrder) {
  const std::vector<Tuple> outputs = run("window_stack");
  ASSERT_EQ(outputs.size(), 2u);
  const Longs windows = longsOf(outputs[0]);
  ASSERT_EQ(windows.size(), 3u);
  const std::int64_t first = windows[0], second = windows[1], third = windows[2];
  // None; two opened; an unknown handle; the bottom one activated; then three closes, each
  // making the window below active.
  EXPECT_EQ(longsOf(outputs[1]), (Longs{-1, second, third, first, third, second, -1}));
}

TEST_F(WindowScripts, ParameterCodes) {
  const std::vector<Tuple> outputs = run("parameter_codes");
  ASSERT_EQ(outputs.size(), 1u);
  // Two background values; a numeric background; a text width; a real line width; a bad
  // coordinate system, the third parameter of disp_text, returned as the second.
  EXPECT_EQ(longsOf(outputs[0]), (Longs{1405, 1205, 1203, 1201, 1302}));
}

TEST_F(WindowScripts, NegativeExtentsKeepTheCurrentValues) {
  const std::vector<Tuple> outputs = run("window_extents");
  ASSERT_EQ(outputs.size(), 1u);
  std::array<HTuple, 4> e;
  HalconCpp::GetWindowExtents(HTuple(bridge().hgetTupleElemLong(outputs[0].get(), 0)), &e[0], &e[1],
                              &e[2], &e[3]);
  EXPECT_EQ((Longs{e[0][0].L(), e[1][0].L(), e[2][0].L(), e[3][0].L()}), (Longs{10, 20, 800, 200}));
}

TEST_F(WindowScripts, PartKeptForAnImageOfItsSizeResetForAnother) {
  const std::int64_t window = openWindow(640, 480);
  EXPECT_EQ(part(window), (Longs{0, 0, 479, 639}));
  showImage(640, 480);
  EXPECT_EQ(part(window), (Longs{0, 0, 479, 639}));
  showImage(1024, 768);
  EXPECT_EQ(part(window), (Longs{0, 0, 767, 1023}));
}

TEST_F(WindowScripts, PartSetByScriptSurvivesWhenItsSizeFits) {
  const std::int64_t window = openWindow(640, 480);
  const Tuple r1 = tupleOf(10), c1 = tupleOf(10), r2 = tupleOf(777), c2 = tupleOf(1033);
  run("set_part", {&r1, &c1, &r2, &c2});
  showImage(1024, 768);
  EXPECT_EQ(part(window), (Longs{10, 10, 777, 1033}));
  showImage(640, 480);
  EXPECT_EQ(part(window), (Longs{0, 0, 479, 639}));
}

TEST_F(WindowScripts, PartSetByOtherMeansIsResetUnlessTheWholeImage) {
  const std::int64_t window = openWindow(640, 480);
  HalconCpp::SetPart(HTuple(window), HTuple(10), HTuple(10), HTuple(489), HTuple(649));
  // Same size as the image, but not the whole of it.
  showImage(640, 480);
  EXPECT_EQ(part(window), (Longs{0, 0, 479, 639}));
}

TEST_F(WindowScripts, PartFollowsAnImageBehindARegion) {
  const std::int64_t window = openWindow(640, 480);
  const Tuple w = tupleOf(1024), h = tupleOf(768);
  run("show_region_and_image", {&w, &h});
  EXPECT_EQ(part(window), (Longs{0, 0, 767, 1023}));
}
