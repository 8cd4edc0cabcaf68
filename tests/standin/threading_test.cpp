// Scripts from several threads run one at a time, with their callbacks on
// the thread that executes them.
#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "script_fixture.h"

using namespace HDevEngineCpp;
using HalconCpp::HTuple;

namespace {

// Counts how many callbacks are inside the implementation at once.
class OverlapImpl : public HDevOperatorImplCpp {
 public:
  std::atomic<int> inside{0};
  std::atomic<int> maxInside{0};
  std::atomic<int> calls{0};
  std::atomic<int> wrongThread{0};
  std::thread::id expected;

  int OnSetLineWidth(const HTuple& w) override {
    int now = ++inside;
    if (now > maxInside) maxInside = now;
    ++calls;
    std::this_thread::sleep_for(std::chrono::microseconds(200));
    (void)w;
    --inside;
    return 2;
  }
};

}  // namespace

class Threading : public ScriptTest {
 protected:
  void TearDown() override {
    HDevEngine().SetHDevOperatorImpl(nullptr, true);
    ScriptTest::TearDown();
  }
};

TEST_F(Threading, ConcurrentRunsAreSerialized) {
  OverlapImpl impl;
  HDevEngine().SetHDevOperatorImpl(&impl, true);
  writeProcedure("thr_work", {{}, {}, {"N"}, {"Sum"}},
                 {"Sum := 0", "for I := 1 to N by 1", "    dev_set_line_width (1)",
                  "    Sum := Sum + I", "endfor"});
  std::atomic<int> failures{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&] {
      try {
        HDevProcedure proc("thr_work");
        for (int k = 0; k < 5; ++k) {
          HDevProcedureCall call(proc);
          call.SetInputCtrlParamTuple(1, HTuple(10));
          call.Execute();
          if (call.GetOutputCtrlParamTuple(1)[0].L() != 55) ++failures;
        }
      } catch (...) {
        ++failures;
      }
    });
  }
  for (auto& t : threads) t.join();
  EXPECT_EQ(failures.load(), 0);
  EXPECT_EQ(impl.calls.load(), 4 * 5 * 10);
  EXPECT_EQ(impl.maxInside.load(), 1);
}

TEST_F(Threading, LowLevelErrorsComeFromTheExecutingThread) {
  static std::thread::id reported;
  HTuple cb("callback");
  cb.Append(HTuple(static_cast<long long>(reinterpret_cast<intptr_t>(+[](const char*) {
    reported = std::this_thread::get_id();
    return 2;
  }))));
  HalconCpp::SetSystem(HTuple("do_low_error"), cb);
  std::string path = write("low.hdev", fileXml({procedureXml("main", {}, {"wait_seconds (-1)"})}));
  std::thread::id runner;
  std::thread t([&] {
    runner = std::this_thread::get_id();
    runProgram(path);
  });
  t.join();
  HalconCpp::SetSystem(HTuple("do_low_error"), HTuple("false"));
  EXPECT_TRUE(reported == runner);
}

TEST_F(Threading, ErrorsInNestedCallsCanBeCaughtByTheCaller) {
  writeProcedure("thr_fails", {{}, {}, {}, {}}, {"* line 1", "X := [1, 2]", "Y := X[5]"});
  EngineError e =
      runProgramLines({"try", "    thr_fails ()", "catch (E)", "    Code := E[0]", "endtry",
                       "if (Code != 21010)", "    throw ('not caught')", "endif", "thr_fails ()"});
  EXPECT_EQ(e.code, 21010);
  EXPECT_EQ(e.procedure, "thr_fails");
  EXPECT_EQ(e.line, 3);
}
