// The bridge as the tests use it: loaded by path at run time and bound by name like the runner
// does it (never linked), with owners for records and tuples, the scripts of this suite and the
// messages the bridge sends to its two outputs.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "brimlet_exports.h"

// Every export, resolved by name.
struct BridgeExports {
#define BRIDGE_TEST_FIELD(name, result, parameters) brimlet_##name##_fn name = nullptr;
  BRIMLET_EXPORTS(BRIDGE_TEST_FIELD)
#undef BRIDGE_TEST_FIELD
};

// The bridge of this build, loaded on first use and kept until the process ends (the engine
// keeps the bridge's window operators). A load that fails or an export that does not resolve
// ends the process with a message.
const BridgeExports& bridge();
// The bridge's file name, e.g. brimlet-13.0.so.
std::string bridgeFileName();

struct RecordRelease {
  void operator()(EngineErrorRecord* record) const;
};
// An error record, released with hclearErrorMsg.
using Record = std::unique_ptr<EngineErrorRecord, RecordRelease>;

struct TupleRelease {
  void operator()(BrimletTuple* tuple) const;
};
// A tuple handle, released with hfreeTuple.
using Tuple = std::unique_ptr<BrimletTuple, TupleRelease>;

Tuple newTuple();
Tuple tupleOf(std::int64_t value);
Tuple tupleOf(const char* text);
// Every element read as an integer.
std::vector<std::int64_t> longsOf(const Tuple& tuple);
// Element index as text, fetched and released through the bridge.
std::string textOf(const Tuple& tuple, std::int64_t index);

// Starts the engine once per process (hinit) and puts this suite's scripts on the procedure
// path.
void startEngine();

// A procedure call's error record (null on success) and its control outputs.
struct CallResult {
  Record error;
  std::vector<Tuple> outputs;
};
// Runs a procedure of this suite's scripts through the bridge with the given inputs.
CallResult callProcedure(const std::string& name, const std::vector<const Tuple*>& inputs = {});
// Same, for procedures expected to succeed: a failure fails the test and yields no outputs.
std::vector<Tuple> run(const std::string& name, const std::vector<const Tuple*>& inputs = {});

// Arms the vision library's test fault ("bad_alloc", "exception", "unknown", "engine",
// "vision"; "none" disarms) through a script.
void injectFault(const char* kind);
// Closes every window the engine's window stack holds.
void closeAllWindows();
// Reads a number the vision library reports through hgetsystem ("user_threads", ...).
std::int64_t systemNumber(const char* name);
// Waits until the vision library runs no user threads (held by an earlier test).
void waitForNoUserThreads();

// Collects what the bridge sends to normal and error output while it exists.
class HandlerOutput {
 public:
  HandlerOutput();
  ~HandlerOutput();
  HandlerOutput(const HandlerOutput&) = delete;
  HandlerOutput& operator=(const HandlerOutput&) = delete;
  std::vector<std::string> normal() const;
  std::vector<std::string> error() const;
};
