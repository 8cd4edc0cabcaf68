// The one fake engine bridge of the runner's tests: installed as the process's engine client, it
// holds real tuples, procedures and programs whose signatures, outputs and failures a test sets,
// records the set-up calls as lines ("hsetEngineAttributeInt \"debug_port\" 57786"), fails the
// entries it is told to, and counts everything created and released.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <variant>
#include <vector>

#include "brimlet_exports.h"

namespace Velotrax::fake {

// A tuple element: integer, real, text, or (monostate) an element of some other type.
using Element = std::variant<int64_t, double, std::string, std::monostate>;
using Elements = std::vector<Element>;

struct Parameter {
  std::string name;
  int32_t dimension = 0;
};

// A procedure the fake engine knows by name.
struct Procedure {
  std::vector<Parameter> inputIconic, outputIconic, inputCtrl, outputCtrl;
  std::vector<Elements> outputs;  // one per output control parameter
};

// An error record as the bridge would return it; empty texts stay null.
struct Failure {
  int32_t type = 2;
  std::string procName = {};
  int32_t errorCode = 0;
  int32_t progLine = -1;
  std::string message = {};
  std::string errorText = {};
  std::string progLineName = {};
};

struct Engine {
  // What the engine holds and how it fails.
  std::map<std::string, Procedure> procedures;
  std::map<std::string, Failure> loadFailures;     // by procedure name or program path
  std::map<std::string, Failure> executeFailures;  // likewise
  std::set<std::string> failing;                   // set-up entries that return a record
  bool failOutputCount = false;                    // once a call has been executed
  int32_t failOutputTuple = 0;                   // 1-based index whose tuple read fails; 0 for none
  int32_t failCreateTupleAt = 0;                 // the n-th hcreateTuple fails; 0 for none
  Elements systemValue;                          // what hgetsystem returns in a new tuple
  EngineErrorRecord* nextUnloadError = nullptr;  // handed out by the next hunloadAllProcedures

  // What happened.
  std::vector<std::string> calls;  // the set-up entries, in call order
  OutputHandler normalOutput = nullptr;
  OutputHandler errorOutput = nullptr;
  int tuplesCreated = 0;
  int tuplesFreed = 0;
  int textsFreed = 0;
  int recordsCreated = 0;
  int recordsReleased = 0;
  int executions = 0;
  int unloads = 0;
  std::vector<std::string> releases;  // "call", "procedure", "program call", "program" in order
  std::vector<Elements> inputs;       // the tuples handed to the last call, by index

  // Calls whose line starts with `prefix`, in order.
  std::vector<std::string> callsOf(const std::string& prefix) const;
};

// Makes the fake the process's engine client (once) and returns its state, cleared.
Engine& install();
// The state behind the fake entries, and clearing it.
Engine& engine();
void reset();

// A tuple created through the fake entries, and its elements.
TupleHandle makeTuple(const Elements& elements);
Elements elementsOf(TupleHandle tuple);

// A record the runner must release, as a failing bridge entry returns it.
EngineErrorRecord* makeRecord(const Failure& failure);

}  // namespace Velotrax::fake
