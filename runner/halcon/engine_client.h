// The runner's one holder of the loaded engine bridge and its 50 bound entries, the holders
// that release bridge handles, and the engine version query.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <type_traits>

#include "brimlet_exports.h"

namespace Velotrax {

namespace os {
class Module;
}

// Bound bridge entries. Field order: the core entries, then the configuration entries, then the
// tuple entries, then the optional entries (null when the bridge lacks them); the module last.
// Created on first use and never destroyed.
struct EngineClient {
#define VELOTRAX_CLIENT_FIELD(name, result, parameters) brimlet_##name##_fn name = nullptr;
  BRIMLET_EXPORTS_CLIENT_ORDER(VELOTRAX_CLIENT_FIELD)
  BRIMLET_OPTIONAL_EXPORTS(VELOTRAX_CLIENT_FIELD)
#undef VELOTRAX_CLIENT_FIELD
  std::shared_ptr<os::Module> module;  // the loaded bridge, kept until the process ends
};

// The process's client; the first call loads the bridge and binds its entries (safe against
// concurrent first calls, retried after a failure). Loading failures are std::runtime_error.
const EngineClient& engineClient();

// The same, where the caller says whether a first load traces its failures in detail.
const EngineClient& bindEngineClient(bool verbose);

// Makes `client` the process's client without loading anything, in place of any earlier one:
// for tests that drive the runner against fake entries.
void installEngineClient(const EngineClient& client);

// Throws a non-null record as HDEException, which takes ownership of it.
void throwIfFailed(EngineErrorRecord* record);

// Shared holders whose last release calls the matching free entry.
using TupleHolder = std::shared_ptr<std::remove_pointer_t<TupleHandle>>;
using ProcedureHolder = std::shared_ptr<std::remove_pointer_t<ProcedureHandle>>;
using ProcedureCallHolder = std::shared_ptr<std::remove_pointer_t<ProcedureCallHandle>>;
using ProgramHolder = std::shared_ptr<std::remove_pointer_t<ProgramHandle>>;
using ProgramCallHolder = std::shared_ptr<std::remove_pointer_t<ProgramCallHandle>>;
TupleHolder holdTuple(TupleHandle tuple);
ProcedureHolder holdProcedure(ProcedureHandle procedure);
ProcedureCallHolder holdProcedureCall(ProcedureCallHandle call);
ProgramHolder holdProgram(ProgramHandle program);
ProgramCallHolder holdProgramCall(ProgramCallHandle call);

// Guards a tuple while it is being filled: frees it unless filling completed.
class TupleFillGuard {
 public:
  explicit TupleFillGuard(TupleHandle tuple) : tuple_(tuple) {}
  ~TupleFillGuard();
  TupleFillGuard(const TupleFillGuard&) = delete;
  TupleFillGuard& operator=(const TupleFillGuard&) = delete;

  // Filling completed: the tuple is the caller's from now on.
  TupleHandle complete() {
    completed_ = true;
    return tuple_;
  }

 private:
  TupleHandle tuple_;
  bool completed_ = false;
};

// Element `index` of a tuple as text: integers in decimal, reals like "%g", strings unquoted,
// other types empty.
std::string tupleElementText(TupleHandle tuple, int64_t index);

// The engine's "version" system value as text; empty unless it has exactly one element.
std::string engineVersion();

}  // namespace Velotrax
