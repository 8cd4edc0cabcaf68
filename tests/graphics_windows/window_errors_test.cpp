// The window operators' parameter checks and error codes, and hostile values that must end
// in a clean error or a clipped drawing.
#include <zlib.h>

#include <fstream>
#include <iterator>
#include <string>

#include "window_fixture.h"

using namespace HalconCpp;

namespace {

// A headless window ('buffer' mode) for calls that only check parameters.
class WindowErrors : public testing::Test {
 protected:
  void SetUp() override {
    OpenWindow(HTuple(0), HTuple(0), HTuple(64), HTuple(48), HTuple(0), HTuple("buffer"),
               HTuple(""), &w);
  }
  void TearDown() override { CloseWindow(w); }
  int text(const HTuple& string, const HTuple& system, const HTuple& row, const HTuple& column,
           const HTuple& color, const HTuple& names, const HTuple& values) {
    return codeOf([&] { DispText(w, string, system, row, column, color, names, values); });
  }
  HTuple w;
};

HTuple list(std::initializer_list<const char*> items) {
  HTuple t;
  for (const char* item : items) t.Append(HTuple(item));
  return t;
}

}  // namespace

TEST_F(WindowErrors, SettingsAcceptWhatCanBeShown) {
  EXPECT_EQ(codeOf([&] { SetColor(w, HTuple("mauve")); }), 1302);
  EXPECT_EQ(codeOf([&] { SetColor(w, HTuple(5)); }), 1202);
  EXPECT_EQ(codeOf([&] { SetColor(w, HTuple()); }), 1402);
  EXPECT_EQ(codeOf([&] { SetColor(w, list({"red", "#00ff00", "#0000ff80"})); }), 0);
  EXPECT_EQ(codeOf([&] { SetColor(w, HTuple("#12345")); }), 1302);
  EXPECT_EQ(codeOf([&] { SetColored(w, HTuple(5)); }), 1302);
  EXPECT_EQ(codeOf([&] { SetColored(w, HTuple(12)); }), 0);
  EXPECT_EQ(codeOf([&] { SetDraw(w, HTuple("outline")); }), 1302);
  EXPECT_EQ(codeOf([&] { SetShape(w, HTuple("convex")); }), 1302);
  EXPECT_EQ(codeOf([&] { SetLut(w, HTuple("rainbow")); }), 1302);
  EXPECT_EQ(codeOf([&] { SetPaint(w, HTuple("3d_plot")); }), 1302);
  EXPECT_EQ(codeOf([&] { SetPaint(w, HTuple("default")); }), 0);
  EXPECT_EQ(codeOf([&] { SetLineWidth(w, HTuple(0)); }), 1302);
  EXPECT_EQ(codeOf([&] { SetLineWidth(w, HTuple(2.5)); }), 1202);
  EXPECT_EQ(codeOf([&] { SetWindowParam(w, HTuple("title"), HTuple("x")); }), 1302);
  EXPECT_EQ(codeOf([&] { SetWindowParam(w, HTuple("background_color"), HTuple("mauve")); }), 1303);
  EXPECT_EQ(codeOf([&] { SetPart(w, HTuple(10), HTuple(0), HTuple(9), HTuple(5)); }), 1304);
  EXPECT_EQ(codeOf([&] { SetPart(w, HTuple(0), HTuple(0), HTuple(9), HTuple("x")); }), 1205);
}

TEST_F(WindowErrors, DispTextChecksEachParameter) {
  const HTuple none;
  EXPECT_EQ(text("a", "window", 0, 0, "red", none, none), 0);
  EXPECT_EQ(text("a", "nowhere", 0, 0, "red", none, none), 1303);
  EXPECT_EQ(text("a", 3, 0, 0, "red", none, none), 1203);
  EXPECT_EQ(text("a", "window", "top", 0, "red", none, none), 1204);
  EXPECT_EQ(text("a", "window", 0, none, "red", none, none), 1405);
  EXPECT_EQ(text("a", "window", 0, 0, "mauve", none, none), 1306);
  EXPECT_EQ(text("a", "window", 0, 0, 7, none, none), 1206);
  EXPECT_EQ(text("a", "window", 0, 0, "red", "glow", "true"), 1307);
  EXPECT_EQ(text("a", "window", 0, 0, "red", 4, "true"), 1207);
  EXPECT_EQ(text("a", "window", 0, 0, "red", "box", "maybe"), 1308);
  EXPECT_EQ(text("a", "window", 0, 0, "red", "box_color", "mauve"), 1308);
  EXPECT_EQ(text("a", "window", 0, 0, "red", list({"box", "shadow"}), "true"), 1408);
  EXPECT_EQ(
      codeOf([&] { DispText(HTuple(999999), "a", "window", 0, 0, "red", HTuple(), HTuple()); }),
      21025);
}

TEST_F(WindowErrors, WindowsHaveLimits) {
  auto open = [](const HTuple& width, const HTuple& mode) {
    return codeOf([&] {
      HTuple handle;
      OpenWindow(HTuple(0), HTuple(0), width, HTuple(10), HTuple(0), mode, HTuple(""), &handle);
      CloseWindow(handle);
    });
  };
  EXPECT_EQ(open(HTuple(0), HTuple("buffer")), 1303);
  EXPECT_EQ(open(HTuple(8193), HTuple("buffer")), 1303);
  EXPECT_EQ(open(HTuple(8192), HTuple("buffer")), 0);
  EXPECT_EQ(open(HTuple(10), HTuple("floating")), 1306);
  EXPECT_EQ(codeOf([&] { SetWindowExtents(w, HTuple(0), HTuple(0), HTuple(-5), HTuple(10)); }),
            1304);
}

TEST_F(WindowErrors, HostileValuesAreClippedOrRefused) {
  // Far-off and huge coordinates, long texts and many lines draw only what is visible.
  const std::string longLine(100000, 'W'), manyLines(20000, '\n');
  EXPECT_EQ(text(longLine.c_str(), "window", 1e300, -1e300, "red", HTuple(), HTuple()), 0);
  EXPECT_EQ(text(longLine.c_str(), "window", -5, -5, "red", HTuple(), HTuple()), 0);
  EXPECT_EQ(text(manyLines.c_str(), "window", 0, 0, "red", HTuple(), HTuple()), 0);
  EXPECT_EQ(text("\xff\xfe\xc3(\xe2\x82", "window", 0, 0, "red", HTuple(), HTuple()), 0);
  EXPECT_EQ(codeOf([&] { SetPart(w, HTuple(0.0), HTuple(0.0), HTuple(1e-9), HTuple(1e-9)); }), 0);
  EXPECT_EQ(text("zoomed", "image", 0, 0, "red", HTuple(), HTuple()), 0);
  EXPECT_EQ(codeOf([&] { SetPart(w, HTuple(0), HTuple(0), HTuple(1e300), HTuple(5)); }), 1304);
  EXPECT_EQ(codeOf([&] { SetLineWidth(w, HTuple(2000)); }), 0);
}

using WindowDumps = WindowScriptTest;

TEST_F(WindowDumps, DumpWindowChecksDeviceAndFile) {
  EngineError e = runProgramLines(
      {"dev_open_window (0, 0, 10, 10, 'black', W)", "dump_window (W, 'tiff', '" + dir + "/a')"});
  EXPECT_EQ(e.code, 1302);
  e = runProgramLines({"dev_open_window (0, 0, 10, 10, 'black', W)",
                       "dump_window (W, 'png', '" + dir + "/missing/dir/a')"});
  EXPECT_EQ(e.code, 5201);
  e = runProgramLines({"dump_window (12345, 'png', '" + dir + "/a')"});
  EXPECT_EQ(e.code, 21025);
  // The extension is added once.
  e = runProgramLines({"dev_open_window (0, 0, 10, 10, 'black', W)",
                       "dump_window (W, 'png', '" + dir + "/b')",
                       "dump_window (W, 'png', '" + dir + "/c.png')"});
  EXPECT_EQ(e.code, 0);
  EXPECT_EQ(readPicture(dir + "/b.png").width, 10);
  EXPECT_EQ(readPicture(dir + "/c.png").width, 10);
}

TEST_F(WindowDumps, ReadImageRefusesBrokenAndUnsupportedPng) {
  std::vector<uint8_t> gray(64 * 64, 7);
  ASSERT_TRUE(writeGrayPng(dir + "/good.png", 64, 64, gray));
  std::ifstream in(dir + "/good.png", std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_GE(bytes.size(), 33u);
  write("truncated.png", bytes.substr(0, bytes.size() / 2));
  write("signature_only.png", bytes.substr(0, 8));
  // A valid header announcing an image 40000 pixels wide, beyond any image.
  std::string wide = bytes;
  wide[18] = '\x9c';
  wide[19] = '\x40';
  const auto crc = crc32(0, reinterpret_cast<const Bytef*>(wide.data() + 12), 17);
  for (int i = 0; i < 4; ++i) wide[29 + i] = static_cast<char>(crc >> (24 - 8 * i));
  write("wide.png", wide);
  for (const char* name : {"truncated.png", "signature_only.png", "wide.png"}) {
    EngineError e = runProgramLines({"read_image (I, '" + dir + "/" + name + "')"});
    EXPECT_EQ(e.code, 1301);
    if (std::string(name) == "wide.png") {
      EXPECT_EQ(e.message, "Image file format not supported: PNG image too large");
    }
  }
  EngineError e = runProgramLines({"read_image (I, '" + dir + "/good')", "get_image_size (I, W, H)",
                                   "if (W != 64)", "throw ('w')", "endif"});
  EXPECT_EQ(e.code, 0);
}
