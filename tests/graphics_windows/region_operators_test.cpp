// Regions and object lists in scripts: gen_rectangle1, gen_circle, threshold, area_center,
// concat_obj, select_obj.
#include "picture.h"
#include "script_fixture.h"

using HalconCpp::HTuple;

using Regions = ScriptTest;

TEST_F(Regions, GeneratedRegionsHaveTheirAreaAndCentre) {
  writeProcedure("measure", {{}, {}, {}, {"Area", "Row", "Column", "Count"}},
                 {"gen_rectangle1 (Box, 10, 20, 19, 59)", "gen_circle (Disc, 100.0, 50, 10)",
                  "gen_rectangle1 (Pair, [0, 5], [0, 5], [1, 5], [1, 5])",
                  "concat_obj (Box, Disc, Both)", "concat_obj (Both, Pair, All)",
                  "area_center (All, Area, Row, Column)", "count_obj (All, Count)"});
  auto out = call("measure");
  EXPECT_EQ(text(out[0]), "[400, 317, 4, 1]");
  EXPECT_EQ(text(out[1]), "[14.5, 100.0, 0.5, 5.0]");
  EXPECT_EQ(text(out[2]), "[39.5, 50.0, 0.5, 5.0]");
  EXPECT_EQ(text(out[3]), "4");
}

TEST_F(Regions, RegionsAreClippedToTheImageRange) {
  writeProcedure("clip", {{}, {}, {}, {"Area"}},
                 {"gen_rectangle1 (A, -10, -10, 9, 9)", "gen_circle (B, 40000, 40000, 10)",
                  "gen_circle (C, 0, 0, 1e9)", "gen_rectangle1 (D, 1e300, 0, 1e301, 5)",
                  "concat_obj (A, B, AB)", "concat_obj (AB, C, ABC)", "concat_obj (ABC, D, All)",
                  "area_center (All, Area, Row, Column)"});
  EXPECT_EQ(text(call("clip")[0]), "[100, 0, 1073741824, 0]");
}

TEST_F(Regions, ThresholdSelectsTheGreyRange) {
  std::vector<uint8_t> gray(10 * 4, 0);
  for (int x = 0; x < 10; ++x) gray[10 + x] = static_cast<uint8_t>(x * 20);  // row 1: 0 .. 180
  gray[3 * 10 + 9] = 255;
  ASSERT_TRUE(writeGrayPng(dir + "/ramp.png", 10, 4, gray));
  writeProcedure("select", {{}, {}, {}, {"Area", "Column"}},
                 {"read_image (I, '" + dir + "/ramp')", "threshold (I, Mid, 40, 100)",
                  "threshold (I, Top, 255, 255)", "concat_obj (Mid, Top, Both)",
                  "area_center (Both, Area, Row, Column)"});
  auto out = call("select");
  EXPECT_EQ(text(out[0]), "[4, 1]");
  EXPECT_EQ(text(out[1]), "[3.5, 9.0]");
}

TEST_F(Regions, SelectObjTakesObjectsByIndex) {
  writeProcedure("pick", {{}, {}, {}, {"Area", "Count"}},
                 {"gen_rectangle1 (R, 0, 0, [0, 1, 2], [0, 1, 2])", "select_obj (R, S, [3, 1])",
                  "area_center (S, Area, Row, Column)", "count_obj (R, Count)"});
  auto out = call("pick");
  EXPECT_EQ(text(out[0]), "[9, 1]");
  EXPECT_EQ(text(out[1]), "3");
}

TEST_F(Regions, ParameterChecks) {
  int n = 0;
  auto codeOf = [&](const std::string& line) {
    const std::string name = "check_" + std::to_string(n++);
    writeProcedure(name, {}, {"gen_rectangle1 (R, 0, 0, 5, 5)", line});
    return callError(name).code;
  };
  EXPECT_EQ(codeOf("gen_rectangle1 (X, 5, 0, 4, 5)"), 1303);
  EXPECT_EQ(codeOf("gen_rectangle1 (X, 0, 5, 5, 4)"), 1304);
  EXPECT_EQ(codeOf("gen_rectangle1 (X, [0, 1], 0, [5, 6, 7], 5)"), 1401);
  EXPECT_EQ(codeOf("gen_rectangle1 (X, 'a', 0, 5, 5)"), 1201);
  EXPECT_EQ(codeOf("gen_circle (X, 0, 0, 0)"), 1303);
  EXPECT_EQ(codeOf("gen_circle (X, 0, 0, -2.5)"), 1303);
  EXPECT_EQ(codeOf("select_obj (R, X, 2)"), 1301);
  EXPECT_EQ(codeOf("select_obj (R, X, 0)"), 1301);
  EXPECT_EQ(codeOf("select_obj (R, X, 1.0)"), 1201);
  EXPECT_EQ(codeOf("select_obj (R, X, [])"), 1401);
  EXPECT_EQ(codeOf("threshold (R, X, 0, 10)"), 1301);
  EXPECT_EQ(codeOf("threshold (R, X, [0, 1], 10)"), 1401);
}
