#include "fake_bridge.h"

#include <cstdlib>
#include <cstring>

#include "halcon/engine_client.h"

namespace Velotrax::fake {

namespace {

struct Tuple {
  Elements elements;
};
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

char* copy(const std::string& text) {
  char* copied = static_cast<char*>(std::malloc(text.size() + 1));
  std::memcpy(copied, text.c_str(), text.size() + 1);
  return copied;
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
  c.hcreateTuple = [](TupleHandle* t) -> EngineErrorRecord* {
    *t = nullptr;
    if (++engine().tuplesCreated == engine().failCreateTupleAt) {
      --engine().tuplesCreated;
      return makeRecord({1, "hcreateTuple", 6001, -1, "out of memory", ""});
    }
    *t = handle<TupleHandle>(new Tuple);
    return nullptr;
  };
  c.hfreeTuple = [](TupleHandle t) {
    ++engine().tuplesFreed;
    delete object<Tuple>(t);
  };
  c.happendTupleLong = [](TupleHandle t, int64_t v) {
    object<Tuple>(t)->elements.emplace_back(std::in_place_type<int64_t>, v);
  };
  c.happendTupleDouble = [](TupleHandle t, double v) {
    object<Tuple>(t)->elements.emplace_back(std::in_place_type<double>, v);
  };
  c.happendTupleString = [](TupleHandle t, const char* v) {
    object<Tuple>(t)->elements.push_back(std::string(v));
  };
  c.hgetTupleLength = [](TupleHandle t) {
    return static_cast<int64_t>(object<Tuple>(t)->elements.size());
  };
  c.hgetTupleElemType = [](TupleHandle t, int64_t i) -> int32_t {
    const Element& e = object<Tuple>(t)->elements.at(static_cast<size_t>(i));
    return e.index() == 0 ? kTupleElemLong : e.index() == 1 ? kTupleElemDouble : kTupleElemString;
  };
  c.hgetTupleElemLong = [](TupleHandle t, int64_t i) {
    return std::get<int64_t>(object<Tuple>(t)->elements.at(static_cast<size_t>(i)));
  };
  c.hgetTupleElemDouble = [](TupleHandle t, int64_t i) {
    return std::get<double>(object<Tuple>(t)->elements.at(static_cast<size_t>(i)));
  };
  c.hgetTupleElemString_TO_BE_FREED = [](TupleHandle t, int64_t i) {
    return copy(std::get<std::string>(object<Tuple>(t)->elements.at(static_cast<size_t>(i))));
  };
  c.hfreeTupleElemString = [](char* text) { std::free(text); };

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
    object<CallObject>(call)->inputs[i] = object<Tuple>(t)->elements;
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
  return c;
}

}  // namespace

Engine& engine() {
  static Engine state;
  return state;
}

void reset() {
  engine() = Engine();
}

void install() {
  installEngineClient(fakeClient());
}

TupleHandle makeTuple(const Elements& elements) {
  ++engine().tuplesCreated;
  return handle<TupleHandle>(new Tuple{elements});
}

Elements elementsOf(TupleHandle tuple) {
  return object<Tuple>(tuple)->elements;
}

EngineErrorRecord* makeRecord(const Failure& failure) {
  ++engine().recordsCreated;
  auto* record = static_cast<EngineErrorRecord*>(std::calloc(1, sizeof(EngineErrorRecord)));
  record->type = failure.type;
  if (!failure.procName.empty()) record->procName = copy(failure.procName);
  record->errorCode = failure.errorCode;
  record->progLine = failure.progLine;
  if (!failure.message.empty()) record->message = copy(failure.message);
  if (!failure.errorText.empty()) record->errorText = copy(failure.errorText);
  return record;
}

}  // namespace Velotrax::fake
