// Error records through the C interface: field by field for both kinds of exception, the error
// texts, out-arguments on failure, and failures that are neither kind.
#include <string>

#include "bridge_client.h"
#include "test_framework.h"

namespace {

std::string field(const char* text) {
  return text ? text : "(null)";
}

class Records : public testing::Test {
 protected:
  void SetUp() override { startEngine(); }
  void TearDown() override { injectFault("none"); }
};

// Sentinel out-argument value, to see whether a failing call touched it.
TupleHandle untouched() {
  return reinterpret_cast<TupleHandle>(static_cast<std::intptr_t>(0x5a5a));
}

}  // namespace

TEST_F(Records, ReleasesAcceptNull) {
  const BridgeExports& b = bridge();
  b.hclearErrorMsg(nullptr);
  b.hfreeTuple(nullptr);
  b.hfreeProcedure(nullptr);
  b.hfreeProcedureCall(nullptr);
  b.hfreeProgram(nullptr);
  b.hfreeProgramCall(nullptr);
  b.hfreeTupleElemString(nullptr);
  // Still working afterwards.
  EXPECT_EQ(longsOf(tupleOf(7)), std::vector<std::int64_t>{7});
}

TEST_F(Records, VisionLibraryExceptionFieldByField) {
  TupleHandle out = untouched();
  const Record r(bridge().hgetsystem("no_such_parameter", &out));
  ASSERT_TRUE(r != nullptr);
  EXPECT_EQ(r->type, 1);
  EXPECT_EQ(field(r->procName), "get_system");
  EXPECT_EQ(field(r->progLineName), "(null)");
  EXPECT_EQ(r->errorCode, 1301);
  EXPECT_EQ(r->progLine, -1);
  EXPECT_EQ(field(r->message), "Unknown system parameter: 'no_such_parameter'");
  // The library's text for the code; it has no extended information for this failure.
  EXPECT_EQ(field(r->errorText), "Wrong value of control parameter: 1");
  EXPECT_EQ(field(r->extendedErrorInfo), "(null)");
  EXPECT_TRUE(out == untouched());
}

TEST_F(Records, EngineExceptionFieldByField) {
  const CallResult result = callProcedure("fail_at_line");
  const Record& r = result.error;
  ASSERT_TRUE(r != nullptr);
  EXPECT_EQ(r->type, 2);
  EXPECT_EQ(field(r->procName), "fail_at_line");
  EXPECT_EQ(field(r->progLineName), "assign");
  EXPECT_EQ(r->errorCode, 21011);
  EXPECT_EQ(r->progLine, 4);
  EXPECT_EQ(field(r->message), "Division by zero");
  EXPECT_EQ(field(r->errorText), "Division by zero");
  EXPECT_EQ(field(r->extendedErrorInfo), "(null)");
}

TEST_F(Records, ExtendedErrorInfoWhenTheLibraryHasSome) {
  const CallResult result = callProcedure("read_missing_image");
  const Record& r = result.error;
  ASSERT_TRUE(r != nullptr);
  EXPECT_EQ(r->type, 2);
  EXPECT_EQ(field(r->progLineName), "read_image");
  EXPECT_EQ(r->errorCode, 5200);
  EXPECT_EQ(field(r->errorText), "File not found");
  EXPECT_EQ(field(r->extendedErrorInfo), "'no_such_image_anywhere' cannot be read");
}

TEST_F(Records, FailingCreationLeavesOutArgumentNull) {
  const BridgeExports& b = bridge();
  auto procedure = reinterpret_cast<ProcedureHandle>(untouched());
  Record r(b.hcreateProcedure("no_such_procedure_anywhere", &procedure));
  ASSERT_TRUE(r != nullptr);
  EXPECT_EQ(r->type, 2);
  EXPECT_TRUE(procedure == nullptr);

  auto program = reinterpret_cast<ProgramHandle>(untouched());
  r.reset(b.hcreateProgram("no_such_program.hdev", &program));
  ASSERT_TRUE(r != nullptr);
  EXPECT_EQ(r->type, 2);
  EXPECT_TRUE(program == nullptr);

  // A null handle is refused as a failure of the export itself.
  auto call = reinterpret_cast<ProcedureCallHandle>(untouched());
  r.reset(b.hcreateProcedureCall(nullptr, &call));
  ASSERT_TRUE(r != nullptr);
  EXPECT_EQ(r->type, 1);
  EXPECT_EQ(field(r->procName), "hcreateProcedureCall");
  EXPECT_TRUE(call == nullptr);
}

TEST_F(Records, FailingOutputReadLeavesOutArgumentUntouched) {
  const BridgeExports& b = bridge();
  ProcedureHandle procedure = nullptr;
  Record r(b.hcreateProcedure("window_extents", &procedure));
  ASSERT_FALSE(r);
  ProcedureCallHandle call = nullptr;
  r.reset(b.hcreateProcedureCall(procedure, &call));
  ASSERT_FALSE(r);
  TupleHandle out = untouched();
  r.reset(b.hprocedurecallGetOutputCtrlParamTuple(call, 99, &out));
  EXPECT_TRUE(r != nullptr);
  EXPECT_TRUE(out == untouched());
  b.hfreeProcedureCall(call);
  b.hfreeProcedure(procedure);
}

// Failures other than the two exception kinds: type 1 records naming the export, with the
// library's code for unexpected failures and its text.
TEST_F(Records, OutOfMemoryBecomesARecord) {
  injectFault("bad_alloc");
  TupleHandle out = untouched();
  const Record r(bridge().hgetsystem("version", &out));
  ASSERT_TRUE(r != nullptr);
  EXPECT_EQ(r->type, 1);
  EXPECT_EQ(field(r->procName), "hgetsystem");
  EXPECT_EQ(field(r->progLineName), "(null)");
  EXPECT_EQ(r->errorCode, 21090);
  EXPECT_EQ(r->progLine, -1);
  EXPECT_EQ(field(r->message), "std::bad_alloc");
  EXPECT_EQ(field(r->errorText), "Unexpected failure outside the library's error handling");
  EXPECT_TRUE(out == untouched());
}

TEST_F(Records, StandardExceptionBecomesARecord) {
  injectFault("exception");
  const Record r(bridge().haddProcedurePath("."));
  ASSERT_TRUE(r != nullptr);
  EXPECT_EQ(r->type, 1);
  EXPECT_EQ(field(r->procName), "haddProcedurePath");
  EXPECT_EQ(r->errorCode, 21090);
  EXPECT_EQ(field(r->message), "injected failure");
}

TEST_F(Records, UnknownExceptionBecomesARecord) {
  injectFault("unknown");
  const Record r(bridge().hopenDefaultWindow());
  ASSERT_TRUE(r != nullptr);
  EXPECT_EQ(r->type, 1);
  EXPECT_EQ(field(r->procName), "hopenDefaultWindow");
  EXPECT_EQ(r->errorCode, 21090);
  EXPECT_EQ(field(r->message), "unknown exception");
}

// The exports that convert vision-library exceptions only turn an engine exception into a
// type 2 record too, instead of ending the process.
TEST_F(Records, EngineExceptionFromVisionOnlyExports) {
  injectFault("engine");
  Record r(bridge().hunloadAllProcedures());
  ASSERT_TRUE(r != nullptr);
  EXPECT_EQ(r->type, 2);
  EXPECT_EQ(r->errorCode, 21091);
  EXPECT_EQ(field(r->message), "Injected engine failure");
  EXPECT_EQ(field(r->errorText), "Failure injected for a test");

  injectFault("engine");
  r.reset(bridge().hinit(0));
  ASSERT_TRUE(r != nullptr);
  EXPECT_EQ(r->type, 2);
  EXPECT_EQ(r->errorCode, 21091);
  // hinit again: the engine gets its window operators back.
  r.reset(bridge().hinit(0));
  EXPECT_FALSE(r);
}
