// The one-line engine error report and the exception that owns its record.
#include <gtest/gtest.h>

#include <vector>

#include "fake_engine.h"
#include "halcon/engine_client.h"
#include "halcon/hde_exception.h"

namespace Velotrax {
namespace {

// A record over borrowed texts, for the report alone; no errorText.
EngineErrorRecord record(int32_t type, const char* procName, const char* progLineName,
                         int32_t errorCode, int32_t progLine, const char* message,
                         const char* extendedErrorInfo) {
  return EngineErrorRecord{type,
                           const_cast<char*>(procName),
                           const_cast<char*>(progLineName),
                           errorCode,
                           progLine,
                           const_cast<char*>(message),
                           nullptr,
                           const_cast<char*>(extendedErrorInfo)};
}

TEST(EngineErrorReport, OperatorExceptionWithoutLineOrExtendedInformation) {
  EXPECT_EQ(engineErrorReport(record(1, "P", nullptr, 5200, -1, "M", nullptr)),
            "proc name: \"P\" error code: 5200 message: \"M\" prog line: -1 type: \"HException\" ");
}

TEST(EngineErrorReport, EngineExceptionHasAllSevenPiecesInOrder) {
  EXPECT_EQ(engineErrorReport(
                record(2, "main (a.hdev)", "assign", 21011, 17, "division by zero", "extra")),
            "proc name: \"main (a.hdev)\" progLineName: \"assign\" error code: 21011 "
            "message: \"division by zero\" extended error info: \"extra\" prog line: 17 "
            "type: \"HDevEngineException\" ");
}

TEST(EngineErrorReport, TypeNamesAndAbsentTexts) {
  EXPECT_EQ(engineErrorReport(record(0, nullptr, nullptr, -3, 0, nullptr, nullptr)),
            "error code: -3 prog line: 0 type: \"user\" ");
  EXPECT_EQ(engineErrorReport(record(7, nullptr, nullptr, 2, -1, nullptr, nullptr)),
            "error code: 2 prog line: -1 type: \"unknown\" ");
  EXPECT_EQ(engineErrorReport(record(-1, nullptr, nullptr, 2, -1, nullptr, nullptr)),
            "error code: 2 prog line: -1 type: \"unknown\" ");
}

TEST(EngineErrorReport, TextsAreInsertedUnescaped) {
  EXPECT_EQ(engineErrorReport(record(1, "say \"hi\"", nullptr, 1, -1, "a \"quoted\"\nline", "")),
            "proc name: \"say \"hi\"\" error code: 1 message: \"a \"quoted\"\nline\" "
            "extended error info: \"\" prog line: -1 type: \"HException\" ");
}

TEST(EngineErrorReport, ErrorTextIsNotPartOfIt) {
  EngineErrorRecord withText = record(1, nullptr, nullptr, 9, -1, nullptr, nullptr);
  char errorText[] = "standard text";
  withText.errorText = errorText;
  EXPECT_EQ(engineErrorReport(withText), "error code: 9 prog line: -1 type: \"HException\" ");
}

class HDEExceptionTest : public testing::Test {
 protected:
  void SetUp() override { fake::install(); }
};

TEST_F(HDEExceptionTest, CopiesShareTheRecordWhichIsReleasedOnceAfterTheLast) {
  {
    std::vector<HDEException> copies;
    {
      HDEException original(fake::makeRecord({2, "p", 42, 3, "m", "standard text", "op"}));
      EXPECT_STREQ(original.what(),
                   "proc name: \"p\" progLineName: \"op\" error code: 42 message: \"m\" "
                   "prog line: 3 type: \"HDevEngineException\" ");
      for (int i = 0; i < 3; ++i) copies.push_back(original);
      EXPECT_EQ(&copies[2].record(), &original.record());
    }
    EXPECT_EQ(fake::engine().recordsReleased, 0) << "copies still hold it";
    copies.erase(copies.begin(), copies.begin() + 2);
    EXPECT_EQ(fake::engine().recordsReleased, 0);
    EXPECT_STREQ(copies[0].record().message, "m");
  }
  EXPECT_EQ(fake::engine().recordsReleased, 1);
}

TEST_F(HDEExceptionTest, ThrownRecordsAreReleasedOnceWhateverCatchesThem) {
  try {
    try {
      throwIfFailed(fake::makeRecord({1, "op", 5200, -1, "m", "standard text"}));
    } catch (const HDEException& e) {
      HDEException copy = e;
      throw copy;
    }
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(),
                 "proc name: \"op\" error code: 5200 message: \"m\" prog line: -1 "
                 "type: \"HException\" ");
  }
  EXPECT_EQ(fake::engine().recordsReleased, 1);
  throwIfFailed(nullptr);
  EXPECT_EQ(fake::engine().recordsReleased, 1);
}

}  // namespace
}  // namespace Velotrax
