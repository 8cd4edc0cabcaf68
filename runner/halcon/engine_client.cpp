#include "engine_client.h"

#include <atomic>
#include <mutex>
#include <sstream>
#include <vector>

#include "bridge_loader.h"
#include "hde_exception.h"

namespace Velotrax {

namespace {

// The client once created; never destroyed (the process ends through _exit).
std::mutex clientLock;
std::atomic<const EngineClient*> client{nullptr};

template <class Handle>
std::shared_ptr<std::remove_pointer_t<Handle>> hold(Handle handle, void (*release)(Handle)) {
  return std::shared_ptr<std::remove_pointer_t<Handle>>(handle, [release](Handle h) {
    if (h) release(h);
  });
}

}  // namespace

const EngineClient& bindEngineClient(bool verbose) {
  if (const EngineClient* created = client.load(std::memory_order_acquire)) return *created;
  // Concurrent first callers wait; a failed attempt leaves the client uncreated for the next.
  std::lock_guard<std::mutex> guard(clientLock);
  if (!client.load())
    client.store(new EngineClient(loadEngineClient(verbose)), std::memory_order_release);
  return *client.load();
}

const EngineClient& engineClient() {
  return bindEngineClient(false);
}

void installEngineClient(const EngineClient& fake) {
  std::lock_guard<std::mutex> guard(clientLock);
  client.store(new EngineClient(fake), std::memory_order_release);
}

void throwIfFailed(EngineErrorRecord* record) {
  if (record) throw HDEException(record);
}

TupleHolder holdTuple(TupleHandle tuple) {
  return hold(tuple, engineClient().hfreeTuple);
}
ProcedureHolder holdProcedure(ProcedureHandle procedure) {
  return hold(procedure, engineClient().hfreeProcedure);
}
ProcedureCallHolder holdProcedureCall(ProcedureCallHandle call) {
  return hold(call, engineClient().hfreeProcedureCall);
}
ProgramHolder holdProgram(ProgramHandle program) {
  return hold(program, engineClient().hfreeProgram);
}
ProgramCallHolder holdProgramCall(ProgramCallHandle call) {
  return hold(call, engineClient().hfreeProgramCall);
}

TupleFillGuard::~TupleFillGuard() {
  if (!completed_ && tuple_) engineClient().hfreeTuple(tuple_);
}

std::string tupleElementText(TupleHandle tuple, int64_t index) {
  const EngineClient& engine = engineClient();
  std::ostringstream text;
  switch (engine.hgetTupleElemType(tuple, index)) {
    case kTupleElemLong:
      text << engine.hgetTupleElemLong(tuple, index);
      break;
    case kTupleElemDouble:
      text << engine.hgetTupleElemDouble(tuple, index);
      break;
    case kTupleElemString: {
      // Copied, then handed back at once.
      std::unique_ptr<char, brimlet_hfreeTupleElemString_fn> copy(
          engine.hgetTupleElemString_TO_BE_FREED(tuple, index), engine.hfreeTupleElemString);
      if (copy) text << copy.get();
      break;
    }
    default:
      break;
  }
  return text.str();
}

std::string engineVersion() {
  const EngineClient& engine = engineClient();
  TupleHandle version = nullptr;
  throwIfFailed(engine.hgetsystem("version", &version));
  const TupleHolder held = holdTuple(version);
  std::vector<std::string> texts;
  for (int64_t index = 0; index < engine.hgetTupleLength(version); ++index)
    texts.push_back(tupleElementText(version, index));
  return texts.size() == 1 ? texts.front() : std::string();
}

}  // namespace Velotrax
