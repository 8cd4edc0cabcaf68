#include "fake_engine.h"

#include <cstdlib>
#include <cstring>

#include "halcon/engine_client.h"

// The bridge's opaque tuple, as the fake holds it.
struct BrimletTuple {
  Velotrax::fake::Elements elements;
};

namespace Velotrax::fake {

namespace {

struct ProcedureObject {
  std::string name;
};
struct CallObject {
  std::string procedure;
  std::map<int32_t, Elements> inputs;
};
struct ProgramObject {
  std::string path;
};

template <class Handle, class Object>
Handle handle(Object* object) {
  return reinterpret_cast<Handle>(object);
}
template <class Object, class Handle>
Object* object(Handle handle) {
  return reinterpret_cast<Object*>(handle);
}

// Texts the runner frees with std::free, as the bridge allocates them.
char* copy(const std::string& text) {
  char* copied = static_cast<char*>(std::malloc(text.size() + 1));
  std::memcpy(copied, text.c_str(), text.size() + 1);
  return copied;
}
char* copyOrNull(const std::string& text) {
  return text.empty() ? nullptr : copy(text);
}

std::string quoted(const char* text) {
  return text ? "\"" + std::string(text) + "\"" : "null";
}

// Records a set-up call; an entry told to fail returns a record.
EngineErrorRecord* call(const std::string& name, const std::string& arguments = "") {
  engine().calls.push_back(arguments.empty() ? name : name + " " + arguments);
  if (!engine().failing.count(name)) return nullptr;
  return makeRecord({1, name, 5200, -1, "fake failure", "standard text"});
}

const Element& element(TupleHandle tuple, int64_t index) {
  return tuple->elements.at(static_cast<size_t>(index));
}

const Procedure& definition(ProcedureHandle procedure) {
  return engine().procedures.at(object<ProcedureObject>(procedure)->name);
}

EngineErrorRecord* failureFor(const std::map<std::string, Failure>& failures,
                              const std::string& key) {
  const auto found = failures.find(key);
  return found == failures.end() ? nullptr : makeRecord(found->second);
}

const std::vector<Parameter>& inputIconic(ProcedureHandle p) {
  return definition(p).inputIconic;
}
const std::vector<Parameter>& outputIconic(ProcedureHandle p) {
  return definition(p).outputIconic;
}
const std::vector<Parameter>& inputCtrl(ProcedureHandle p) {
  return definition(p).inputCtrl;
}
const std::vector<Parameter>& outputCtrl(ProcedureHandle p) {
  return definition(p).outputCtrl;
}

// The three queries of one parameter list.
template <const std::vector<Parameter>& (*list)(ProcedureHandle)>
struct Queries {
  static EngineErrorRecord* count(ProcedureHandle p, int32_t* n) {
    *n = static_cast<int32_t>(list(p).size());
    return nullptr;
  }
  static EngineErrorRecord* name(ProcedureHandle p, int32_t i, const char** text) {
    *text = list(p).at(static_cast<size_t>(i - 1)).name.c_str();
    return nullptr;
  }
  static EngineErrorRecord* dimension(ProcedureHandle p, int32_t i, int32_t* d) {
    *d = list(p).at(static_cast<size_t>(i - 1)).dimension;
    return nullptr;
  }
};

void setUpEntries(EngineClient& c) {
  c.hinit = [](int32_t value) { return call("hinit", std::to_string(value)); };
  c.hsetVerbosity = [](int32_t flag) { return call("hsetVerbosity", std::to_string(flag)); };
  c.hsetFullscreen = [](int32_t flag) { return call("hsetFullscreen", std::to_string(flag)); };
  c.hsetStdOutHandler = [](OutputHandler handler) {
    engine().normalOutput = handler;
    return call("hsetStdOutHandler", handler ? "ptr" : "null");
  };
  c.hsetStdErrHandler = [](OutputHandler handler) {
    engine().errorOutput = handler;
    return call("hsetStdErrHandler", handler ? "ptr" : "null");
  };
  c.hopenDefaultWindow = [] { return call("hopenDefaultWindow"); };
  c.haddProcedurePath = [](const char* path) { return call("haddProcedurePath", quoted(path)); };
  c.hsetEngineAttribute = [](const char* name, const char* value) {
    return call("hsetEngineAttribute", quoted(name) + " " + quoted(value));
  };
  c.hsetEngineAttributeInt = [](const char* name, int32_t value) {
    return call("hsetEngineAttributeInt", quoted(name) + " " + std::to_string(value));
  };
  c.hstartDebugServer = [] { return call("hstartDebugServer"); };
  c.hgetsystem = [](const char* name, TupleHandle* tuple) {
    EngineErrorRecord* record = call("hgetsystem", quoted(name));
    if (!record) *tuple = makeTuple(engine().systemValue);
    return record;
  };
  c.hunloadAllProcedures = []() -> EngineErrorRecord* {
    ++engine().unloads;
    EngineErrorRecord* record = engine().nextUnloadError;
    engine().nextUnloadError = nullptr;
    return record;
  };
}

void tupleEntries(EngineClient& c) {
  c.hcreateTuple = [](TupleHandle* t) -> EngineErrorRecord* {
    *t = nullptr;
    if (++engine().tuplesCreated == engine().failCreateTupleAt) {
      --engine().tuplesCreated;
      return makeRecord({1, "hcreateTuple", 6001, -1, "out of memory", ""});
    }
    *t = new BrimletTuple;
    return nullptr;
  };
  c.hfreeTuple = [](TupleHandle t) {
    if (!t) return;
    ++engine().tuplesFreed;
    delete t;
  };
  c.happendTupleLong = [](TupleHandle t, int64_t v) {
    t->elements.emplace_back(std::in_place_type<int64_t>, v);
  };
  c.happendTupleDouble = [](TupleHandle t, double v) {
    t->elements.emplace_back(std::in_place_type<double>, v);
  };
  c.happendTupleString = [](TupleHandle t, const char* v) {
    t->elements.emplace_back(std::string(v));
  };
  c.hgetTupleLength = [](TupleHandle t) { return static_cast<int64_t>(t->elements.size()); };
  c.hgetTupleElemType = [](TupleHandle t, int64_t i) -> int32_t {
    switch (element(t, i).index()) {
      case 0:
        return kTupleElemLong;
      case 1:
        return kTupleElemDouble;
      case 2:
        return kTupleElemString;
      default:
        return 16;  // some other kind of element
    }
  };
  c.hgetTupleElemLong = [](TupleHandle t, int64_t i) { return std::get<int64_t>(element(t, i)); };
  c.hgetTupleElemDouble = [](TupleHandle t, int64_t i) { return std::get<double>(element(t, i)); };
  c.hgetTupleElemString_TO_BE_FREED = [](TupleHandle t, int64_t i) {
    return copy(std::get<std::string>(element(t, i)));
  };
  c.hfreeTupleElemString = [](char* text) {
    ++engine().textsFreed;
    std::free(text);
  };
}

void procedureEntries(EngineClient& c) {
  c.hcreateProcedure = [](const char* name, ProcedureHandle* p) -> EngineErrorRecord* {
    *p = nullptr;
    if (EngineErrorRecord* failed = failureFor(engine().loadFailures, name)) return failed;
    if (!engine().procedures.count(name))
      return makeRecord({2, name, 21020, -1, "procedure not found", "procedure not found"});
    *p = handle<ProcedureHandle>(new ProcedureObject{name});
    return nullptr;
  };
  c.hfreeProcedure = [](ProcedureHandle p) {
    engine().releases.push_back("procedure");
    delete object<ProcedureObject>(p);
  };
  c.hcreateProcedureCall = [](ProcedureHandle p, ProcedureCallHandle* call) -> EngineErrorRecord* {
    *call = handle<ProcedureCallHandle>(new CallObject{object<ProcedureObject>(p)->name, {}});
    return nullptr;
  };
  c.hfreeProcedureCall = [](ProcedureCallHandle call) {
    engine().releases.push_back("call");
    delete object<CallObject>(call);
  };
  c.hprocedurecallSetInputCtrlParamTuple = [](ProcedureCallHandle call, int32_t i,
                                              TupleHandle t) -> EngineErrorRecord* {
    object<CallObject>(call)->inputs[i] = t->elements;
    return nullptr;
  };
  c.hprocedurecallExecute = [](ProcedureCallHandle call) -> EngineErrorRecord* {
    const CallObject& executed = *object<CallObject>(call);
    ++engine().executions;
    engine().inputs.clear();
    for (const auto& [index, elements] : executed.inputs) engine().inputs.push_back(elements);
    return failureFor(engine().executeFailures, executed.procedure);
  };
  c.hprocedurecallGetOutputCtrlParamTuple = [](ProcedureCallHandle call, int32_t i,
                                               TupleHandle* t) -> EngineErrorRecord* {
    *t = nullptr;
    if (i == engine().failOutputTuple)
      return makeRecord({2, "", 21021, -1, "output not available", "bad parameter index"});
    const Procedure& p = engine().procedures.at(object<CallObject>(call)->procedure);
    *t = makeTuple(p.outputs.at(static_cast<size_t>(i - 1)));
    return nullptr;
  };
  c.hprocedureGetInputIconicParamCount = Queries<inputIconic>::count;
  c.hprocedureGetInputIconicParamName = Queries<inputIconic>::name;
  c.hprocedureGetInputIconicParamDimension = Queries<inputIconic>::dimension;
  c.hprocedureGetOutputIconicParamCount = Queries<outputIconic>::count;
  c.hprocedureGetOutputIconicParamName = Queries<outputIconic>::name;
  c.hprocedureGetOutputIconicParamDimension = Queries<outputIconic>::dimension;
  c.hprocedureGetInputCtrlParamCount = Queries<inputCtrl>::count;
  c.hprocedureGetInputCtrlParamName = Queries<inputCtrl>::name;
  c.hprocedureGetInputCtrlParamDimension = Queries<inputCtrl>::dimension;
  c.hprocedureGetOutputCtrlParamCount = [](ProcedureHandle p, int32_t* n) -> EngineErrorRecord* {
    if (engine().failOutputCount && engine().executions > 0)
      return makeRecord({2, "", 21021, -1, "outputs not available", "bad parameter index"});
    return Queries<outputCtrl>::count(p, n);
  };
  c.hprocedureGetOutputCtrlParamName = Queries<outputCtrl>::name;
  c.hprocedureGetOutputCtrlParamDimension = Queries<outputCtrl>::dimension;
}

void programEntries(EngineClient& c) {
  c.hcreateProgram = [](const char* path, ProgramHandle* p) -> EngineErrorRecord* {
    *p = nullptr;
    if (EngineErrorRecord* failed = failureFor(engine().loadFailures, path)) return failed;
    *p = handle<ProgramHandle>(new ProgramObject{path});
    return nullptr;
  };
  c.hfreeProgram = [](ProgramHandle p) {
    engine().releases.push_back("program");
    delete object<ProgramObject>(p);
  };
  c.hcreateProgramCall = [](ProgramHandle p, ProgramCallHandle* call) -> EngineErrorRecord* {
    *call = handle<ProgramCallHandle>(new ProgramObject{object<ProgramObject>(p)->path});
    return nullptr;
  };
  c.hfreeProgramCall = [](ProgramCallHandle call) {
    engine().releases.push_back("program call");
    delete object<ProgramObject>(call);
  };
  c.hprogramcallExecute = [](ProgramCallHandle call) -> EngineErrorRecord* {
    ++engine().executions;
    return failureFor(engine().executeFailures, object<ProgramObject>(call)->path);
  };
}

EngineClient fakeClient() {
  EngineClient c;
  c.hclearErrorMsg = [](EngineErrorRecord* r) {
    if (!r) return;
    ++engine().recordsReleased;
    for (char* text :
         {r->procName, r->progLineName, r->message, r->errorText, r->extendedErrorInfo})
      std::free(text);
    std::free(r);
  };
  setUpEntries(c);
  tupleEntries(c);
  procedureEntries(c);
  programEntries(c);
  return c;
}

}  // namespace

std::vector<std::string> Engine::callsOf(const std::string& prefix) const {
  std::vector<std::string> found;
  for (const std::string& line : calls)
    if (line.rfind(prefix, 0) == 0) found.push_back(line);
  return found;
}

Engine& engine() {
  static Engine state;
  return state;
}

void reset() {
  engine() = Engine();
}

Engine& install() {
  // Installed once: the process's client is never released.
  static const bool installed = (installEngineClient(fakeClient()), true);
  (void)installed;
  return engine() = Engine();
}

TupleHandle makeTuple(const Elements& elements) {
  ++engine().tuplesCreated;
  return new BrimletTuple{elements};
}

Elements elementsOf(TupleHandle tuple) {
  return tuple->elements;
}

EngineErrorRecord* makeRecord(const Failure& failure) {
  ++engine().recordsCreated;
  auto* record = static_cast<EngineErrorRecord*>(std::calloc(1, sizeof(EngineErrorRecord)));
  record->type = failure.type;
  record->procName = copyOrNull(failure.procName);
  record->progLineName = copyOrNull(failure.progLineName);
  record->errorCode = failure.errorCode;
  record->progLine = failure.progLine;
  record->message = copyOrNull(failure.message);
  record->errorText = copyOrNull(failure.errorText);
  return record;
}

}  // namespace Velotrax::fake
