#include "fake_engine.h"

#include <cstring>
#include <memory>

#include "halcon/engine_client.h"

struct BrimletTuple {
  std::vector<Velotrax::FakeElement> elements;
};

namespace Velotrax {

namespace {

FakeEngine& state() {
  static FakeEngine engine;
  return engine;
}

char* copy(const char* text) {
  if (!text) return nullptr;
  char* result = new char[std::strlen(text) + 1];
  std::strcpy(result, text);
  return result;
}

std::string quoted(const char* text) {
  return text ? "\"" + std::string(text) + "\"" : "null";
}

// Records the call; a failing export returns a record.
EngineErrorRecord* call(const std::string& name, const std::string& arguments = "") {
  state().calls.push_back(arguments.empty() ? name : name + " " + arguments);
  if (!state().failing.count(name)) return nullptr;
  return fakeRecord(1, name.c_str(), nullptr, 5200, -1, "fake failure", nullptr);
}

const FakeElement& element(TupleHandle tuple, int64_t index) {
  return tuple->elements.at(static_cast<size_t>(index));
}

EngineClient fakeClient() {
  EngineClient client;
  client.hclearErrorMsg = [](EngineErrorRecord* record) {
    if (!record) return;
    ++state().releasedRecords;
    for (char* text : {record->procName, record->progLineName, record->message, record->errorText,
                       record->extendedErrorInfo})
      delete[] text;
    delete record;
  };
  client.hinit = [](int32_t value) { return call("hinit", std::to_string(value)); };
  client.hsetVerbosity = [](int32_t flag) { return call("hsetVerbosity", std::to_string(flag)); };
  client.hsetFullscreen = [](int32_t flag) { return call("hsetFullscreen", std::to_string(flag)); };
  client.hsetStdOutHandler = [](OutputHandler handler) {
    state().normalOutput = handler;
    return call("hsetStdOutHandler", handler ? "ptr" : "null");
  };
  client.hsetStdErrHandler = [](OutputHandler handler) {
    state().errorOutput = handler;
    return call("hsetStdErrHandler", handler ? "ptr" : "null");
  };
  client.hopenDefaultWindow = [] { return call("hopenDefaultWindow"); };
  client.haddProcedurePath = [](const char* path) {
    return call("haddProcedurePath", quoted(path));
  };
  client.hsetEngineAttribute = [](const char* name, const char* value) {
    return call("hsetEngineAttribute", quoted(name) + " " + quoted(value));
  };
  client.hsetEngineAttributeInt = [](const char* name, int32_t value) {
    return call("hsetEngineAttributeInt", quoted(name) + " " + std::to_string(value));
  };
  client.hstartDebugServer = [] { return call("hstartDebugServer"); };
  client.hgetsystem = [](const char* name, TupleHandle* tuple) {
    EngineErrorRecord* record = call("hgetsystem", quoted(name));
    if (!record) *tuple = fakeTuple(state().systemValue);
    return record;
  };
  client.hfreeTuple = [](TupleHandle tuple) {
    if (!tuple) return;
    ++state().freedTuples;
    delete tuple;
  };
  client.hgetTupleLength = [](TupleHandle tuple) {
    return static_cast<int64_t>(tuple->elements.size());
  };
  client.hgetTupleElemType = [](TupleHandle tuple, int64_t index) -> int32_t {
    switch (element(tuple, index).index()) {
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
  client.hgetTupleElemLong = [](TupleHandle tuple, int64_t index) {
    return std::get<int64_t>(element(tuple, index));
  };
  client.hgetTupleElemDouble = [](TupleHandle tuple, int64_t index) {
    return std::get<double>(element(tuple, index));
  };
  client.hgetTupleElemString_TO_BE_FREED = [](TupleHandle tuple, int64_t index) {
    return copy(std::get<std::string>(element(tuple, index)).c_str());
  };
  client.hfreeTupleElemString = [](char* text) {
    ++state().freedTexts;
    delete[] text;
  };
  return client;
}

}  // namespace

void FakeEngine::reset() {
  *this = FakeEngine();
}

std::vector<std::string> FakeEngine::callsOf(const std::string& prefix) const {
  std::vector<std::string> found;
  for (const std::string& line : calls)
    if (line.rfind(prefix, 0) == 0) found.push_back(line);
  return found;
}

FakeEngine& fakeEngine() {
  static const bool installed = (installEngineClient(fakeClient()), true);
  (void)installed;
  return state();
}

TupleHandle fakeTuple(std::vector<FakeElement> elements) {
  return new BrimletTuple{std::move(elements)};
}

EngineErrorRecord* fakeRecord(int32_t type, const char* procName, const char* progLineName,
                              int32_t errorCode, int32_t progLine, const char* message,
                              const char* extendedErrorInfo) {
  return new EngineErrorRecord{
      type,     copy(procName), copy(progLineName),    errorCode,
      progLine, copy(message),  copy("standard text"), copy(extendedErrorInfo)};
}

}  // namespace Velotrax
