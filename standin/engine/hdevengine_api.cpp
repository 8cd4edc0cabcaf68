// HDevEngine, HDevEngineException and the HDevOperatorImplCpp defaults.
#include "HDevEngineCpp.h"
#include "access.h"
#include "engine_state.h"
#include "errors.h"
#include "fault_injection.h"
#include "loader.h"
#include "path_util.h"
#include "tuple_arithmetic.h"

namespace standin::engine {
EngineState& engineState() {
  // Never destroyed: the engine lives until the process ends, and no debug
  // server thread is joined while Windows holds the loader lock at exit.
  static EngineState* state = new EngineState;
  return *state;
}
}  // namespace standin::engine

namespace HDevEngineCpp {

using standin::engine::EngineState;
using standin::engine::engineState;
namespace err = standin::err;

HDevEngineException::HDevEngineException(const char* message, int halconErrorCode,
                                         const char* execProcedureName, const char* progLineName,
                                         int progLineNum)
    : message_(message ? message : ""),
      code_(halconErrorCode),
      procName_(execProcedureName ? execProcedureName : ""),
      lineName_(progLineName ? progLineName : ""),
      lineNum_(progLineNum) {}

HDevOperatorImplCpp::~HDevOperatorImplCpp() = default;
int HDevOperatorImplCpp::OnClearWindow() {
  return H_MSG_TRUE;
}
int HDevOperatorImplCpp::OnCloseWindow() {
  return H_MSG_TRUE;
}
int HDevOperatorImplCpp::OnSetActiveWindow(const HTuple&) {
  return H_MSG_TRUE;
}
int HDevOperatorImplCpp::OnGetActiveWindow(HTuple* windowHandle) {
  if (windowHandle) *windowHandle = HTuple(-1);
  return H_MSG_TRUE;
}
int HDevOperatorImplCpp::OnDisplayObject(const HObject&) {
  return H_MSG_TRUE;
}
int HDevOperatorImplCpp::OnDisplayText(const HTuple&, const HTuple&, const HTuple&, const HTuple&,
                                       const HTuple&, const HTuple&, const HTuple&) {
  return H_MSG_TRUE;
}
int HDevOperatorImplCpp::OnSetWindowExtents(const HTuple&, const HTuple&, const HTuple&,
                                            const HTuple&) {
  return H_MSG_TRUE;
}
int HDevOperatorImplCpp::OnSetDraw(const HTuple&) {
  return H_MSG_TRUE;
}
int HDevOperatorImplCpp::OnSetShape(const HTuple&) {
  return H_MSG_TRUE;
}
int HDevOperatorImplCpp::OnSetColored(const HTuple&) {
  return H_MSG_TRUE;
}
int HDevOperatorImplCpp::OnSetColor(const HTuple&) {
  return H_MSG_TRUE;
}
int HDevOperatorImplCpp::OnSetLut(const HTuple&) {
  return H_MSG_TRUE;
}
int HDevOperatorImplCpp::OnSetPaint(const HTuple&) {
  return H_MSG_TRUE;
}
int HDevOperatorImplCpp::OnSetPart(const HTuple&, const HTuple&, const HTuple&, const HTuple&) {
  return H_MSG_TRUE;
}
int HDevOperatorImplCpp::OnSetLineWidth(const HTuple&) {
  return H_MSG_TRUE;
}
int HDevOperatorImplCpp::OnOpenWindow(const HTuple&, const HTuple&, const HTuple&, const HTuple&,
                                      const HTuple&, HTuple* windowHandle) {
  if (windowHandle) *windowHandle = HTuple(-1);
  return H_MSG_TRUE;
}

namespace {

[[noreturn]] void badAttribute(const std::string& name, int code) {
  throw HDevEngineException(("Invalid value for engine attribute '" + name + "'").c_str(), code, "",
                            "", -1);
}

// Accepts 1/0, 'true'/'false'.
bool flagValue(const std::string& name, const standin::Value& v) {
  if (v.size() != 1) badAttribute(name, err::kWrongCount + 2);
  if (v.typeAt(0) == standin::ElemType::Text) {
    if (v.textAt(0) == "true") return true;
    if (v.textAt(0) == "false") return false;
    badAttribute(name, err::kWrongValue + 2);
  }
  if (v.typeAt(0) != standin::ElemType::Int) badAttribute(name, err::kWrongType + 2);
  return v.intAt(0) != 0;
}

// Test hook: an armed fault fails this engine call (fault_injection.h).
void throwArmedFault() {
  const standin::Fault fault = standin::takeArmedFault(true);
  if (fault == standin::Fault::Engine)
    throw HDevEngineException("Injected engine failure", err::kInjectedFault, "", "", -1);
  standin::throwFault(fault, "HDevEngine");
}

}  // namespace

HDevEngine::HDevEngine() = default;

void HDevEngine::SetHDevOperatorImpl(HDevOperatorImplCpp* impl, bool) {
  throwArmedFault();
  EngineState& st = engineState();
  std::lock_guard<std::recursive_mutex> guard(st.lock);
  st.operatorImpl = impl;
}

void HDevEngine::SetEngineAttribute(const char* name, const HTuple& value) {
  throwArmedFault();
  std::string n = name ? name : "";
  const standin::Value& v = HalconCpp::HTupleAccess::value(value);
  EngineState& st = engineState();
  std::lock_guard<std::recursive_mutex> guard(st.lock);
  if (n == "ignore_invalid_lines") {
    st.ignoreInvalidLines = flagValue(n, v);
  } else if (n == "ignore_unresolved_lines") {
    st.ignoreUnresolvedLines = flagValue(n, v);
  } else if (n == "execute_procedures_jit_compiled") {
    st.jitCompiled = flagValue(n, v);
  } else if (n == "debug_wait_for_connection") {
    st.debugWaitForConnection = flagValue(n, v);
  } else if (n == "debug_port") {
    if (v.size() != 1 || v.typeAt(0) != standin::ElemType::Int)
      badAttribute(n, err::kWrongType + 2);
    if (v.intAt(0) < 1 || v.intAt(0) > 65535)
      throw HDevEngineException(
          ("Invalid value for engine attribute 'debug_port': " + std::to_string(v.intAt(0)) +
           " is not a port number from 1 to 65535")
              .c_str(),
          err::kWrongValue + 2, "", "", -1);
    st.debugPort = v.intAt(0);
  } else if (n == "debug_password") {
    if (v.size() != 1 || v.typeAt(0) != standin::ElemType::Text)
      badAttribute(n, err::kWrongType + 2);
    st.debugPassword = v.textAt(0);
  } else {
    throw HDevEngineException(("Unknown engine attribute '" + n + "'").c_str(),
                              err::kWrongValue + 1, "", "", -1);
  }
}

HTuple HDevEngine::GetEngineAttribute(const char* name) {
  std::string n = name ? name : "";
  EngineState& st = engineState();
  std::lock_guard<std::recursive_mutex> guard(st.lock);
  if (n == "ignore_invalid_lines") return HTuple(st.ignoreInvalidLines ? 1 : 0);
  if (n == "ignore_unresolved_lines") return HTuple(st.ignoreUnresolvedLines ? 1 : 0);
  if (n == "execute_procedures_jit_compiled") return HTuple(st.jitCompiled ? 1 : 0);
  if (n == "debug_wait_for_connection") return HTuple(st.debugWaitForConnection ? "true" : "false");
  if (n == "debug_port") return HTuple(static_cast<long long>(st.debugPort));
  if (n == "debug_password") return HTuple(st.debugPassword.c_str());
  if (n == "debug_server_port") return HTuple(st.debugServer.port());
  if (n == "debug_clients") return HTuple(st.debugServer.attachedClients());
  throw HDevEngineException(("Unknown engine attribute '" + n + "'").c_str(), err::kWrongValue + 1,
                            "", "", -1);
}

void HDevEngine::AddProcedurePath(const char* path) {
  throwArmedFault();
  EngineState& st = engineState();
  std::lock_guard<std::recursive_mutex> guard(st.lock);
  for (const auto& dir : standin::engine::splitPathList(path ? path : ""))
    st.procedurePath.push_back(dir);
}

void HDevEngine::UnloadAllProcedures() {
  throwArmedFault();
  standin::engine::unloadAllProcedures();
}

void HDevEngine::StartDebugServer() {
  throwArmedFault();
  EngineState& st = engineState();
  int64_t port;
  std::string password;
  {
    std::lock_guard<std::recursive_mutex> guard(st.lock);
    port = st.debugPort;
    password = st.debugPassword;
    st.debuggerWaited = false;  // the first run after the start waits, when asked to
  }
  st.debugServer.start(port, password);
}

// Without the engine lock: stopping never waits for a script that is running.
void HDevEngine::StopDebugServer() {
  throwArmedFault();
  engineState().debugServer.stop();
}

}  // namespace HDevEngineCpp
