// System parameters, error texts, low-level errors and library shutdown.
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "HalconCpp.h"
#include "test_framework.h"

using namespace HalconCpp;

namespace {

std::vector<std::string> gLowErrors;
std::thread::id gLowErrorThread;

int recordLowError(const char* text) {
  gLowErrors.push_back(text);
  gLowErrorThread = std::this_thread::get_id();
  return 2;
}

HTuple callbackTuple() {
  HTuple value("callback");
  value.Append(HTuple(static_cast<long long>(reinterpret_cast<intptr_t>(&recordLowError))));
  return value;
}

}  // namespace

TEST(System, VersionIs1301) {
  HTuple v = GetSystem(HTuple("version"));
  ASSERT_EQ(v.Length(), 1);
  EXPECT_STREQ(v[0].S().Text(), "13.0.1");
}

TEST(System, WidthHeightAndWindowThreadAreKept) {
  SetSystem(HTuple("width"), HTuple(640));
  SetSystem(HTuple("height"), HTuple(480));
  SetSystem(HTuple("use_window_thread"), HTuple("true"));
  EXPECT_EQ(GetSystem(HTuple("width"))[0].L(), 640);
  EXPECT_EQ(GetSystem(HTuple("height"))[0].L(), 480);
  EXPECT_STREQ(GetSystem(HTuple("use_window_thread"))[0].S().Text(), "true");
  SetSystem(HTuple("width"), HTuple(512));
  SetSystem(HTuple("height"), HTuple(512));
}

TEST(System, UnknownParameterRaisesHException) {
  bool thrown = false;
  try {
    GetSystem(HTuple("no_such_parameter"));
  } catch (const HException& e) {
    thrown = true;
    EXPECT_EQ(e.ErrorCode(), 1301);
    EXPECT_STREQ(e.ProcName().Text(), "get_system");
    EXPECT_STREQ(e.ErrorMessage().Text(), "Unknown system parameter: 'no_such_parameter'");
  }
  EXPECT_TRUE(thrown);
  try {
    SetSystem(HTuple("width"), HTuple("wide"));
    ADD_FAILURE();
  } catch (const HException& e) {
    EXPECT_EQ(e.ErrorCode(), 1202);
  }
}

TEST(System, ErrorTextsOfTheParameterFamilies) {
  HTuple text;
  GetErrorText(HTuple(1203), &text);
  EXPECT_STREQ(text[0].S().Text(), "Wrong type of control parameter: 3");
  GetErrorText(HTuple(1405), &text);
  EXPECT_STREQ(text[0].S().Text(), "Wrong number of values of control parameter: 5");
  GetErrorText(HTuple(5200), &text);
  EXPECT_STREQ(text[0].S().Text(), "File not found");
  GetErrorText(HTuple(21013), &text);
  EXPECT_STREQ(text[0].S().Text(), "Procedure call depth limit exceeded");
}

TEST(System, ExtendedInfoOnlyWhenTheErrorHasDetails) {
  HTuple op, code, message;
  try {
    GetSystem(HTuple("nope"));
  } catch (const HException&) {
  }
  GetExtendedErrorInfo(&op, &code, &message);
  EXPECT_EQ(code[0].L(), 0);
}

TEST(System, LowLevelErrorsReachTheCallback) {
  gLowErrors.clear();
  SetSystem(HTuple("do_low_error"), callbackTuple());
  HTuple setting = GetSystem(HTuple("do_low_error"));
  ASSERT_EQ(setting.Length(), 2);
  EXPECT_STREQ(setting[0].S().Text(), "callback");
  WaitSeconds(HTuple(-1.0));
  SetSystem(HTuple("do_low_error"), HTuple("false"));
  ASSERT_EQ(gLowErrors.size(), 1u);
  EXPECT_EQ(gLowErrors[0].find("wait_seconds"), 0u);
  EXPECT_TRUE(gLowErrorThread == std::this_thread::get_id());
  WaitSeconds(HTuple(-1.0));
  EXPECT_EQ(gLowErrors.size(), 1u);
}

TEST(System, WaitSecondsWaits) {
  auto start = std::chrono::steady_clock::now();
  WaitSeconds(HTuple(0.05));
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(45));
}

TEST(System, FinalizeWaitsForUserThreads) {
  EXPECT_EQ(FinalizeHALCONLibrary(), 2);
  SetSystem(HTuple("hold_user_thread"), HTuple(0.3));
  EXPECT_EQ(FinalizeHALCONLibrary(), 9700);
  EXPECT_EQ(GetSystem(HTuple("user_threads"))[0].L(), 1);
  int code = 9700;
  for (int i = 0; i < 100 && code == 9700; ++i) {
    WaitSeconds(HTuple(0.05));
    code = FinalizeHALCONLibrary();
  }
  EXPECT_EQ(code, 2);
}
