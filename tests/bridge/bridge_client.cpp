#include "bridge_client.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>

#include "shared_library.h"
#include "test_framework.h"

namespace {

struct LoadedBridge {
  std::unique_ptr<SharedLibrary> library;
  BridgeExports exports;
};

const LoadedBridge& loadedBridge() {
  // Never destroyed: the engine calls into the bridge until the process ends.
  static const LoadedBridge* loaded = [] {
    auto* b = new LoadedBridge;
    try {
      b->library = SharedLibrary::load(BRIDGE_PATH);
    } catch (const std::exception& e) {
      std::fprintf(stderr, "%s\n", e.what());
      std::abort();
    }
    // Every export resolves by name, as the runner needs it.
#define BRIDGE_TEST_RESOLVE(name, result, parameters)                                 \
  b->exports.name = reinterpret_cast<brimlet_##name##_fn>(b->library->symbol(#name)); \
  if (!b->exports.name) {                                                             \
    std::fprintf(stderr, "the bridge does not export %s\n", #name);                   \
    std::abort();                                                                     \
  }
    BRIMLET_EXPORTS(BRIDGE_TEST_RESOLVE)
#undef BRIDGE_TEST_RESOLVE
    return b;
  }();
  return *loaded;
}

struct Captured {
  std::mutex lock;
  std::vector<std::string> normal, error;
};

Captured& captured() {
  static Captured c;
  return c;
}

void captureNormal(const char* text) {
  std::lock_guard<std::mutex> guard(captured().lock);
  captured().normal.emplace_back(text);
}

void captureError(const char* text) {
  std::lock_guard<std::mutex> guard(captured().lock);
  captured().error.emplace_back(text);
}

}  // namespace

const BridgeExports& bridge() {
  return loadedBridge().exports;
}

std::string bridgeFileName() {
  const std::string path = BRIDGE_PATH;
  return path.substr(path.find_last_of("/\\") + 1);
}

void RecordRelease::operator()(EngineErrorRecord* record) const {
  bridge().hclearErrorMsg(record);
}

void TupleRelease::operator()(BrimletTuple* tuple) const {
  bridge().hfreeTuple(tuple);
}

Tuple newTuple() {
  TupleHandle handle = nullptr;
  Record error(bridge().hcreateTuple(&handle));
  if (error) std::abort();
  return Tuple(handle);
}

Tuple tupleOf(std::int64_t value) {
  Tuple t = newTuple();
  bridge().happendTupleLong(t.get(), value);
  return t;
}

Tuple tupleOf(const char* text) {
  Tuple t = newTuple();
  bridge().happendTupleString(t.get(), text);
  return t;
}

std::vector<std::int64_t> longsOf(const Tuple& tuple) {
  std::vector<std::int64_t> values;
  for (std::int64_t i = 0; i < bridge().hgetTupleLength(tuple.get()); ++i)
    values.push_back(bridge().hgetTupleElemLong(tuple.get(), i));
  return values;
}

std::string textOf(const Tuple& tuple, std::int64_t index) {
  char* text = bridge().hgetTupleElemString_TO_BE_FREED(tuple.get(), index);
  std::string copy = text ? text : "(null)";
  bridge().hfreeTupleElemString(text);
  return copy;
}

void startEngine() {
  static const bool started = [] {
    Record error(bridge().hinit(0));
    if (!error) error.reset(bridge().haddProcedurePath(BRIDGE_TEST_SCRIPTS));
    if (error) {
      std::fprintf(stderr, "engine start failed: %s\n", error->message ? error->message : "");
      std::abort();
    }
    return true;
  }();
  (void)started;
}

CallResult callProcedure(const std::string& name, const std::vector<const Tuple*>& inputs) {
  startEngine();
  const BridgeExports& b = bridge();
  CallResult result;
  ProcedureHandle procedure = nullptr;
  result.error.reset(b.hcreateProcedure(name.c_str(), &procedure));
  if (result.error) return result;
  std::unique_ptr<BrimletProcedure, brimlet_hfreeProcedure_fn> procedureOwner(procedure,
                                                                              b.hfreeProcedure);
  ProcedureCallHandle call = nullptr;
  result.error.reset(b.hcreateProcedureCall(procedure, &call));
  if (result.error) return result;
  std::unique_ptr<BrimletProcedureCall, brimlet_hfreeProcedureCall_fn> callOwner(
      call, b.hfreeProcedureCall);
  for (std::size_t i = 0; i < inputs.size() && !result.error; ++i)
    result.error.reset(b.hprocedurecallSetInputCtrlParamTuple(call, static_cast<int32_t>(i + 1),
                                                              inputs[i]->get()));
  if (!result.error) result.error.reset(b.hprocedurecallExecute(call));
  if (result.error) return result;
  int32_t count = 0;
  result.error.reset(b.hprocedureGetOutputCtrlParamCount(procedure, &count));
  for (int32_t index = 1; index <= count && !result.error; ++index) {
    TupleHandle output = nullptr;
    result.error.reset(b.hprocedurecallGetOutputCtrlParamTuple(call, index, &output));
    result.outputs.emplace_back(output);
  }
  return result;
}

std::vector<Tuple> run(const std::string& name, const std::vector<const Tuple*>& inputs) {
  CallResult result = callProcedure(name, inputs);
  if (result.error) {
    ADD_FAILURE();
    std::printf("%s failed: error %d, %s\n", name.c_str(), result.error->errorCode,
                result.error->message ? result.error->message : "");
    return {};
  }
  return std::move(result.outputs);
}

void injectFault(const char* kind) {
  const Tuple k = tupleOf(kind);
  run("inject_fault", {&k});
}

void closeAllWindows() {
  run("close_all_windows");
}

std::int64_t systemNumber(const char* name) {
  TupleHandle handle = nullptr;
  const Record error(bridge().hgetsystem(name, &handle));
  if (error) {
    ADD_FAILURE();
    return -1;
  }
  const Tuple value(handle);
  return bridge().hgetTupleElemLong(value.get(), 0);
}

void waitForNoUserThreads() {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (systemNumber("user_threads") > 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      std::fprintf(stderr, "the library's user threads still run after 20 s\n");
      ADD_FAILURE();
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

HandlerOutput::HandlerOutput() {
  {
    std::lock_guard<std::mutex> guard(captured().lock);
    captured().normal.clear();
    captured().error.clear();
  }
  bridge().hsetStdOutHandler(&captureNormal);
  bridge().hsetStdErrHandler(&captureError);
}

HandlerOutput::~HandlerOutput() {
  bridge().hsetStdOutHandler(nullptr);
  bridge().hsetStdErrHandler(nullptr);
}

std::vector<std::string> HandlerOutput::normal() const {
  std::lock_guard<std::mutex> guard(captured().lock);
  return captured().normal;
}

std::vector<std::string> HandlerOutput::error() const {
  std::lock_guard<std::mutex> guard(captured().lock);
  return captured().error;
}
