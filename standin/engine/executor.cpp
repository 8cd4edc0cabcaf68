#include "executor.h"

#include <cstdint>
#include <exception>
#include <new>

#include "HDevEngineCpp.h"
#include "engine_stack.h"
#include "engine_state.h"
#include "errors.h"
#include "run_limits.h"
#include "tuple_arithmetic.h"

namespace standin::engine {

using HDevEngineCpp::HDevEngineException;

void executeProcedure(const Procedure& p, Frame& f) {
  try {
    runBlock(p.body, f);
  } catch (const HalconCpp::HException& e) {
    int line = f.current ? f.current->line : -1;
    throw HDevEngineException(e.ErrorMessage().Text(), e.ErrorCode(), p.reportName.c_str(),
                              f.opName(), line);
  } catch (const std::bad_alloc&) {
    int line = f.current ? f.current->line : -1;
    throw HDevEngineException(errorText(err::kOutOfMemory).c_str(), err::kOutOfMemory,
                              p.reportName.c_str(), f.opName(), line);
  }
}

namespace {

// The debugger asked to be waited for: only the first run waits, without the engine lock, so
// that the server can be stopped and the engine asked meanwhile.
void waitForDebuggerOnce(EngineState& st) {
  {
    std::lock_guard<std::recursive_mutex> guard(st.lock);
    if (st.debuggerWaited || !st.debugWaitForConnection || !st.debugServer.running()) return;
    st.debuggerWaited = true;
  }
  st.debugServer.waitForClient();
}

// The error an uncaught throw ends the run with: the tuple's integer code, when it has one
// that fits an error code.
[[noreturn]] void uncaughtThrow(const ScriptThrow& t) {
  const Value& v = t.value;
  std::string message = "Uncaught exception: " + displayText(v);
  int code = err::kUserException;
  if (v.size() >= 1 && v.typeAt(0) == ElemType::Int) {
    int64_t c = v.intAt(0);
    if (c >= INT32_MIN && c <= INT32_MAX) {
      code = static_cast<int>(c);
    } else {
      code = err::kThrowCode;
      message += " (its code is outside the 32-bit range)";
    }
  }
  throw HDevEngineException(message.c_str(), code, t.procName.c_str(), "throw", t.line);
}

void run(const Procedure& p, CallData& data) {
  Frame f;
  f.proc = &p;
  f.ctrl.assign(static_cast<size_t>(p.ctrlSlots), Value::undefined());
  f.iconic.resize(static_cast<size_t>(p.iconicSlots));
  for (size_t i = 0; i < p.ctrlIn.size() && i < data.ctrlIn.size(); ++i)
    f.ctrl[static_cast<size_t>(p.ctrlIn[i].slot)] = data.ctrlIn[i];
  for (size_t i = 0; i < p.iconicIn.size() && i < data.iconicIn.size(); ++i)
    f.iconic[static_cast<size_t>(p.iconicIn[i].slot)] = data.iconicIn[i];
  try {
    executeProcedure(p, f);
  } catch (const ScriptThrow& t) {
    uncaughtThrow(t);
  }
  data.ctrlOut.clear();
  for (const auto& param : p.ctrlOut) {
    Value& v = f.ctrl[static_cast<size_t>(param.slot)];
    data.ctrlOut.push_back(v.isUndefined() ? Value() : std::move(v));
  }
  data.iconicOut.clear();
  for (const auto& param : p.iconicOut)
    data.iconicOut.push_back(std::move(f.iconic[static_cast<size_t>(param.slot)]));
}

}  // namespace

void executeScript(const LoadedScript& script, CallData& data) {
  EngineState& st = engineState();
  waitForDebuggerOnce(st);
  const Procedure& p = *script.entry;
  onEngineStack([&] {
    std::lock_guard<std::recursive_mutex> guard(st.lock);
    startRunBudget();
    try {
      run(p, data);
    } catch (const HDevEngineException&) {
      throw;
    } catch (const std::bad_alloc&) {
      throw HDevEngineException(errorText(err::kOutOfMemory).c_str(), err::kOutOfMemory,
                                p.reportName.c_str(), "", -1);
    } catch (const std::exception& e) {
      throw HDevEngineException(e.what(), err::kOperatorImpl, p.reportName.c_str(), "", -1);
    }
  });
}

}  // namespace standin::engine
