// dev_ operators reach the installed HDevOperatorImplCpp, in order, from the
// executing thread; a failing status fails the line.
#include <string>
#include <thread>
#include <vector>

#include "script_fixture.h"

using namespace HDevEngineCpp;
using HalconCpp::HObject;
using HalconCpp::HTuple;

namespace {

class RecordingImpl : public HDevOperatorImplCpp {
 public:
  std::vector<std::string> calls;
  std::vector<std::thread::id> threads;
  int failStatus = 2;  // returned by OnSetColor

  void note(const std::string& s) {
    calls.push_back(s);
    threads.push_back(std::this_thread::get_id());
  }
  int OnOpenWindow(const HTuple& r, const HTuple& c, const HTuple& w, const HTuple& h,
                   const HTuple& bg, HTuple* handle) override {
    note("open " + text(r) + " " + text(c) + " " + text(w) + " " + text(h) + " " + text(bg));
    *handle = HTuple(100 + static_cast<int>(calls.size()));
    return 2;
  }
  int OnCloseWindow() override { return note("close"), 2; }
  int OnClearWindow() override { return note("clear"), 2; }
  int OnSetActiveWindow(const HTuple& w) override { return note("activate " + text(w)), 2; }
  int OnGetActiveWindow(HTuple* w) override {
    note("get");
    if (w) *w = HTuple(77);
    return 2;
  }
  int OnDisplayObject(const HObject& o) override {
    note("display " + std::to_string(o.CountObj()) + " " + text(o.GetObjClass()));
    return 2;
  }
  int OnDisplayText(const HTuple& s, const HTuple& cs, const HTuple& r, const HTuple& c,
                    const HTuple& color, const HTuple& names, const HTuple& values) override {
    note("text " + text(s) + " " + text(cs) + " " + text(r) + " " + text(c) + " " + text(color) +
         " " + text(names) + " " + text(values));
    return 2;
  }
  int OnSetWindowExtents(const HTuple& r, const HTuple& c, const HTuple& w,
                         const HTuple& h) override {
    return note("extents " + text(r) + " " + text(c) + " " + text(w) + " " + text(h)), 2;
  }
  int OnSetDraw(const HTuple& v) override { return note("draw " + text(v)), 2; }
  int OnSetShape(const HTuple& v) override { return note("shape " + text(v)), 2; }
  int OnSetColored(const HTuple& v) override { return note("colored " + text(v)), 2; }
  int OnSetColor(const HTuple& v) override { return note("color " + text(v)), failStatus; }
  int OnSetLut(const HTuple& v) override { return note("lut " + text(v)), 2; }
  int OnSetPaint(const HTuple& v) override { return note("paint " + text(v)), 2; }
  int OnSetPart(const HTuple& a, const HTuple& b, const HTuple& c, const HTuple& d) override {
    return note("part " + text(a) + " " + text(b) + " " + text(c) + " " + text(d)), 2;
  }
  int OnSetLineWidth(const HTuple& v) override { return note("width " + text(v)), 2; }
};

}  // namespace

class WindowOperators : public ScriptTest {
 protected:
  void TearDown() override {
    HDevEngine().SetHDevOperatorImpl(nullptr, true);
    ScriptTest::TearDown();
  }
  RecordingImpl impl;
};

TEST_F(WindowOperators, EveryOperatorReachesTheImplementationInOrder) {
  HDevEngine().SetHDevOperatorImpl(&impl, true);
  EngineError e = runProgramLines({"dev_open_window (0, 10, 320, 240, 'black', W)",
                                   "dev_set_window (W)",
                                   "dev_get_window (Active)",
                                   "gen_image_const (Img, 'byte', 32, 16)",
                                   "dev_display (Img)",
                                   "dev_disp_text ('hi', 'window', 1, 2, 'red', [], [])",
                                   "dev_set_window_extents (-1, -1, 800, -1)",
                                   "dev_set_draw ('margin')",
                                   "dev_set_shape ('original')",
                                   "dev_set_colored (6)",
                                   "dev_set_color ('red')",
                                   "dev_set_lut ('default')",
                                   "dev_set_paint ('default')",
                                   "dev_set_part (0, 0, 15, 31)",
                                   "dev_set_line_width (3)",
                                   "dev_clear_window ()",
                                   "dev_close_window ()",
                                   "if (Active != 77)",
                                   "    throw ('active window not passed back')",
                                   "endif"});
  EXPECT_EQ(e.code, 0);
  std::vector<std::string> expected = {"open 0 10 320 240 'black'",
                                       "activate 101",
                                       "get",
                                       "display 1 'image'",
                                       "text 'hi' 'window' 1 2 'red' [] []",
                                       "extents -1 -1 800 -1",
                                       "draw 'margin'",
                                       "shape 'original'",
                                       "colored 6",
                                       "color 'red'",
                                       "lut 'default'",
                                       "paint 'default'",
                                       "part 0 0 15 31",
                                       "width 3",
                                       "clear",
                                       "close"};
  EXPECT_EQ(impl.calls, expected);
  for (auto id : impl.threads) EXPECT_TRUE(id == std::this_thread::get_id());
}

TEST_F(WindowOperators, FailingStatusBecomesErrorOfTheLine) {
  impl.failStatus = 1302;
  HDevEngine().SetHDevOperatorImpl(&impl, true);
  EngineError e =
      runProgramLines({"dev_set_draw ('fill')", "* then", "dev_set_color ('purple')"}, "win.hdev");
  EXPECT_EQ(e.code, 1302);
  EXPECT_EQ(e.line, 3);
  EXPECT_EQ(e.op, "dev_set_color");
  EXPECT_EQ(e.procedure, "main (win.hdev)");
  EXPECT_EQ(e.message, "Wrong value of control parameter: 2");
}

TEST_F(WindowOperators, ScriptsRunOnTheCallingThread) {
  HDevEngine().SetHDevOperatorImpl(&impl, true);
  std::string path =
      write("thread.hdev", fileXml({procedureXml("main", {}, {"dev_clear_window ()"})}));
  std::thread::id worker;
  std::thread t([&] {
    worker = std::this_thread::get_id();
    runProgram(path);
  });
  t.join();
  ASSERT_EQ(impl.threads.size(), 1u);
  EXPECT_TRUE(impl.threads[0] == worker);
}

TEST_F(WindowOperators, WithoutImplementationTheyDoNothing) {
  EngineError e =
      runProgramLines({"dev_open_window (0, 0, 10, 10, 'black', W)", "dev_set_color ('red')",
                       "if (W != -1)", "    throw ('unexpected handle')", "endif"});
  EXPECT_EQ(e.code, 0);
}

TEST(LibraryWindows, WindowsKeepTheirState) {
  using namespace HalconCpp;
  HTuple w, r1, c1, r2, c2, row, col, width, height, os, disp;
  OpenWindow(HTuple(0), HTuple(0), HTuple(640), HTuple(480), HTuple(0), HTuple("buffer"),
             HTuple(""), &w);
  GetPart(w, &r1, &c1, &r2, &c2);
  EXPECT_EQ(r2[0].L(), 479);
  EXPECT_EQ(c2[0].L(), 639);
  SetPart(w, HTuple(0), HTuple(0), HTuple(99), HTuple(199));
  GetPart(w, &r1, &c1, &r2, &c2);
  EXPECT_EQ(c2[0].L(), 199);
  SetWindowExtents(w, HTuple(5), HTuple(6), HTuple(800), HTuple(600));
  GetWindowExtents(w, &row, &col, &width, &height);
  EXPECT_EQ(width[0].L(), 800);
  GetOsWindowHandle(w, &os, &disp);
  EXPECT_EQ(os[0].L(), 0);
  try {
    DispText(w, HTuple("x"), HTuple("nowhere"), HTuple(0), HTuple(0), HTuple("red"), HTuple(),
             HTuple());
    ADD_FAILURE();
  } catch (const HException& e) {
    EXPECT_EQ(e.ErrorCode(), 1303);
  }
  EXPECT_THROW(SetLineWidth(w, HTuple(2.5)), HException);
  CloseWindow(w);
  EXPECT_THROW(ClearWindow(w), HException);
}
