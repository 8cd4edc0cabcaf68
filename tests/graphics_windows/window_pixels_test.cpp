// What scripts draw into windows, checked pixel by pixel in the windows' PNG dumps.
#include <algorithm>

#include "window_fixture.h"

namespace {

// Bounds of the pixels that differ from the background: x0, y0, x1, y1 (half-open).
std::array<int, 4> boundsOfAllBut(const Picture& p, Rgb background) {
  std::array<int, 4> b{p.width, p.height, 0, 0};
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x)
      if (p.at(x, y) != background)
        b = {std::min(b[0], x), std::min(b[1], y), std::max(b[2], x + 1), std::max(b[3], y + 1)};
  return b;
}

}  // namespace

using WindowPixels = WindowScriptTest;

TEST_F(WindowPixels, FilledRectangleHasItsColourAndBounds) {
  Picture p = draw({"dev_open_window (0, 0, 200, 150, 'black', W)", "dev_set_color ('red')",
                    "gen_rectangle1 (R, 20, 30, 59, 89)", "dev_display (R)"});
  ASSERT_EQ(p.width, 200);
  ASSERT_EQ(p.height, 150);
  EXPECT_EQ(p.count(kRed), 60 * 40);
  EXPECT_EQ(p.countOutside(kRed, 30, 20, 90, 60), 0);
  EXPECT_EQ(p.count(kBlack), 200 * 150 - 60 * 40);
  EXPECT_TRUE(p.at(30, 20) == kRed && p.at(89, 59) == kRed);
  EXPECT_TRUE(p.at(29, 20) == kBlack && p.at(90, 59) == kBlack && p.at(30, 60) == kBlack);
}

TEST_F(WindowPixels, ImagePixelsMapThroughThePartNearestNeighbour) {
  std::vector<uint8_t> gray(12);
  for (int i = 0; i < 12; ++i) gray[i] = static_cast<uint8_t>(10 * i + 5);
  ASSERT_TRUE(writeGrayPng(dir + "/gray.png", 4, 3, gray));
  const std::string read = "read_image (I, '" + dir + "/gray')";
  // Twice enlarged: every image pixel covers 2 x 2 window pixels.
  Picture p = draw({read, "dev_open_window (0, 0, 8, 6, 'blue', W)", "dev_set_part (0, 0, 2, 3)",
                    "dev_display (I)"});
  ASSERT_EQ(p.width, 8);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 8; ++x) {
      const uint8_t g = gray[(y / 2) * 4 + x / 2];
      EXPECT_EQ(describe(p.at(x, y)), describe(Rgb{g, g, g}));
    }
  // A part larger than the image: the rest of the window shows the background.
  p = draw({read, "dev_open_window (0, 0, 8, 6, 'blue', W)", "dev_set_part (0, 0, 5, 7)",
            "dev_display (I)"});
  EXPECT_EQ(describe(p.at(3, 2)), describe(Rgb{115, 115, 115}));
  EXPECT_EQ(p.countOutside(kBlue, 0, 0, 4, 3), 8 * 6 - 12);
  // The inverse look-up table.
  p = draw({read, "dev_open_window (0, 0, 4, 3, 'blue', W)", "dev_set_lut ('inverse')",
            "dev_display (I)"});
  EXPECT_EQ(describe(p.at(1, 0)), describe(Rgb{240, 240, 240}));
}

TEST_F(WindowPixels, MarginFollowsTheBorderWithTheLineWidth) {
  const std::vector<std::string> lines = {"dev_open_window (0, 0, 100, 100, 'black', W)",
                                          "dev_set_color ('green')", "dev_set_draw ('margin')",
                                          "gen_rectangle1 (R, 20, 20, 59, 59)"};
  auto with = [&](std::vector<std::string> more) {
    std::vector<std::string> all = lines;
    all.insert(all.end(), more.begin(), more.end());
    return draw(all);
  };
  Picture p = with({"dev_display (R)"});
  EXPECT_EQ(p.count(kGreen), 4 * 40 - 4);
  EXPECT_TRUE(p.at(20, 20) == kGreen && p.at(59, 40) == kGreen && p.at(40, 59) == kGreen);
  EXPECT_TRUE(p.at(21, 21) == kBlack && p.at(19, 20) == kBlack);
  // Three pixels wide, centred on the border.
  p = with({"dev_set_line_width (3)", "dev_display (R)"});
  EXPECT_EQ(p.count(kGreen), 42 * 42 - 36 * 36);
  EXPECT_TRUE(p.at(19, 19) == kGreen && p.at(21, 40) == kGreen && p.at(60, 60) == kGreen);
  EXPECT_TRUE(p.at(22, 22) == kBlack && p.at(18, 40) == kBlack && p.at(61, 40) == kBlack);
}

TEST_F(WindowPixels, ColouredModeGivesEachRegionTheNextColour) {
  Picture p =
      draw({"dev_open_window (0, 0, 50, 10, 'black', W)", "dev_set_colored (3)",
            "gen_rectangle1 (R, 0, [0, 10, 20, 30], 9, [9, 19, 29, 39])", "dev_display (R)"});
  EXPECT_EQ(describe(p.at(5, 5)), describe(kRed));
  EXPECT_EQ(describe(p.at(15, 5)), describe(kGreen));
  EXPECT_EQ(describe(p.at(25, 5)), describe(kBlue));
  EXPECT_EQ(describe(p.at(35, 5)), describe(kRed));
  // Several colours set at once cycle the same way.
  p = draw({"dev_open_window (0, 0, 50, 10, 'black', W)", "dev_set_color (['yellow', 'white'])",
            "gen_rectangle1 (R, 0, [0, 10, 20], 9, [9, 19, 29])", "dev_display (R)"});
  EXPECT_EQ(describe(p.at(5, 5)), describe(Rgb{255, 255, 0}));
  EXPECT_EQ(describe(p.at(15, 5)), describe(kWhite));
  EXPECT_EQ(describe(p.at(25, 5)), describe(Rgb{255, 255, 0}));
}

TEST_F(WindowPixels, CircleAndItsBoundingBox) {
  const std::string open = "dev_open_window (0, 0, 100, 100, 'black', W)";
  Picture p =
      draw({open, "dev_set_color ('red')", "gen_circle (C, 50, 50, 10)", "dev_display (C)"});
  EXPECT_EQ(p.count(kRed), 317);  // lattice points within radius 10
  EXPECT_TRUE(p.at(60, 50) == kRed && p.at(50, 40) == kRed && p.at(57, 57) == kRed);
  EXPECT_TRUE(p.at(61, 50) == kBlack && p.at(58, 58) == kBlack);
  p = draw({open, "dev_set_color ('red')", "dev_set_shape ('rectangle1')",
            "gen_circle (C, 50, 50, 10)", "dev_display (C)"});
  EXPECT_EQ(p.count(kRed), 21 * 21);
  EXPECT_EQ(p.countOutside(kRed, 40, 40, 61, 61), 0);
}

TEST_F(WindowPixels, TextPixelsLieInsideItsBox) {
  auto caption = [&](const std::string& text, const std::string& box) {
    return draw({"dev_open_window (0, 0, 300, 60, 'white', W)",
                 "dev_disp_text ('" + text + "', 'window', 10, 20, 'blue', ['box', 'shadow'], " +
                     "['" + box + "', 'false'])"});
  };
  Picture p = caption("Hello", "true");
  const Rgb boxColor{0xfc, 0xe9, 0xd4};
  auto box = boundsOfAllBut(p, kWhite);
  EXPECT_EQ(box[0], 20);
  EXPECT_EQ(box[1], 10);
  const int64_t boxArea = int64_t{box[2] - box[0]} * (box[3] - box[1]);
  EXPECT_GT(p.count(kBlue), 100);
  EXPECT_EQ(p.count(kBlue) + p.count(boxColor), boxArea);  // a filled box: text or box colour
  EXPECT_EQ(p.countOutside(kBlue, box[0] + 1, box[1] + 1, box[2] - 1, box[3] - 1), 0);
  // Without the box only the text's own pixels change, inside the same area.
  Picture bare = caption("Hello", "false");
  EXPECT_EQ(bare.count(kBlue), p.count(kBlue));
  EXPECT_EQ(bare.count(kBlue) + bare.count(kWhite), 300 * 60);
  // A longer text makes a wider box of the same height.
  auto wider = boundsOfAllBut(caption("Hello, world", "true"), kWhite);
  EXPECT_GT(wider[2], box[2]);
  EXPECT_EQ(wider[3], box[3]);
}

TEST_F(WindowPixels, TextAndShadowInImageCoordinates) {
  // The part shows 50 x 100 image pixels in a 200 x 100 window: twice enlarged.
  Picture p = draw({"dev_open_window (0, 0, 200, 100, 'white', W)", "dev_set_part (0, 0, 49, 99)",
                    "dev_disp_text ('x', 'image', 10, 20, 'black', 'shadow_color', 'red')"});
  auto all = boundsOfAllBut(p, kWhite);
  EXPECT_EQ(all[0], 40);
  EXPECT_EQ(all[1], 20);
  // The shadow shows right of and below the box.
  EXPECT_GT(p.count(kRed), 0);
  EXPECT_EQ(p.countOutside(kRed, all[0] + 1, all[1] + 1, all[2], all[3]), 0);
}

TEST_F(WindowPixels, ClearingPaintsTheBackground) {
  Picture p = draw({"dev_open_window (0, 0, 40, 30, 'white', W)", "dev_set_color ('red')",
                    "gen_rectangle1 (R, 0, 0, 9, 9)", "dev_display (R)", "dev_clear_window ()"});
  EXPECT_EQ(p.count(kWhite), 40 * 30);
}

TEST_F(WindowPixels, DumpsReadBackAsGreyImages) {
  EngineError e = runProgramLines(
      {"dev_open_window (0, 0, 60, 20, 'white', W)", "dev_set_colored (3)",
       "gen_rectangle1 (R, 0, [0, 20, 40], 9, [9, 29, 49])", "dev_display (R)",
       "dump_window (W, 'png', '" + dir + "/colours.png')", "read_image (I, '" + dir + "/colours')",
       "get_image_size (I, Width, Height)", "Greys := [76, 150, 29, 255]", "Areas := []",
       "for K := 0 to 3 by 1", "    threshold (I, G, Greys[K], Greys[K])",
       "    area_center (G, A, Row, Column)", "    Areas := [Areas, A]", "endfor",
       "if (Width != 60 or Height != 20 or Areas != [100, 100, 100, 900])",
       "    throw ('read back: ' + Width + 'x' + Height + ' ' + Areas$'d')", "endif"});
  EXPECT_EQ(e.message, "");
}
