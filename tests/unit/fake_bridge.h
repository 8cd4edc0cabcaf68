// A fake engine bridge for driving the runner in-process: real tuples, procedures and programs
// whose signatures, outputs and failures a test sets, and counts of everything created and
// released. Installed once as the process's engine client.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <variant>
#include <vector>

#include "brimlet_exports.h"

namespace Velotrax::fake {

using Element = std::variant<int64_t, double, std::string>;
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

// An error record as the bridge would return it.
struct Failure {
  int32_t type = 2;
  std::string procName;
  int32_t errorCode = 0;
  int32_t progLine = -1;
  std::string message;
  std::string errorText;
};

struct Engine {
  std::map<std::string, Procedure> procedures;
  std::map<std::string, Failure> loadFailures;     // by procedure name or program path
  std::map<std::string, Failure> executeFailures;  // likewise
  bool failOutputCount = false;                    // once a call has been executed
  int32_t failOutputTuple = 0;    // 1-based index whose tuple read fails; 0 for none
  int32_t failCreateTupleAt = 0;  // the n-th hcreateTuple fails; 0 for none

  // What happened.
  int tuplesCreated = 0;
  int tuplesFreed = 0;
  int recordsCreated = 0;
  int recordsReleased = 0;
  int executions = 0;
  std::vector<std::string> releases;  // "call", "procedure", "program call", "program" in order
  std::vector<Elements> inputs;       // the tuples handed to the last call, by index
};

// The state behind the fake entries; reset() clears it.
Engine& engine();
void reset();

// Makes the fake the process's engine client.
void install();

// A tuple created through the fake entries, and its elements.
TupleHandle makeTuple(const Elements& elements);
Elements elementsOf(TupleHandle tuple);

// A record the runner must release, as a failing bridge entry returns it.
EngineErrorRecord* makeRecord(const Failure& failure);

}  // namespace Velotrax::fake
