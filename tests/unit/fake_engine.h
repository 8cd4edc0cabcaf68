// A fake engine bridge for unit tests: installed as the process's engine client, it records each
// call as one line ("hsetEngineAttributeInt \"debug_port\" 57786") and fails the exports it is
// told to, returning an error record that it counts when released.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <variant>
#include <vector>

#include "brimlet_exports.h"

namespace Velotrax {

// A tuple element: 64-bit integer, double, text, or (monostate) an element of another type.
using FakeElement = std::variant<int64_t, double, std::string, std::monostate>;

struct FakeEngine {
  std::vector<std::string> calls;        // in call order
  std::set<std::string> failing;         // exports that return an error record
  std::vector<FakeElement> systemValue;  // what hgetsystem returns in a new tuple
  int releasedRecords = 0;               // hclearErrorMsg calls with a record
  int freedTuples = 0;                   // hfreeTuple calls with a tuple
  int freedTexts = 0;                    // hfreeTupleElemString calls
  OutputHandler normalOutput = nullptr;  // as set by hsetStdOutHandler
  OutputHandler errorOutput = nullptr;   // as set by hsetStdErrHandler

  // Forgets all calls and settings.
  void reset();
  // Calls whose line starts with `prefix`, in order.
  std::vector<std::string> callsOf(const std::string& prefix) const;
};

// The fake, installed as the engine client on first use.
FakeEngine& fakeEngine();

// A new tuple of the fake holding `elements`, owned like a bridge tuple.
TupleHandle fakeTuple(std::vector<FakeElement> elements);

// A record as the bridge allocates it; the fake releases it through hclearErrorMsg.
EngineErrorRecord* fakeRecord(int32_t type, const char* procName, const char* progLineName,
                              int32_t errorCode, int32_t progLine, const char* message,
                              const char* extendedErrorInfo);

}  // namespace Velotrax
