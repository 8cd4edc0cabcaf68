#include "watch_engine_fake.h"

#include "halcon/engine_client.h"

namespace Velotrax::testing_support {

std::atomic<int> unloadCalls{0};
std::atomic<EngineErrorRecord*> nextUnloadError{nullptr};

namespace {
EngineErrorRecord* unloadAll() {
  ++unloadCalls;
  return nextUnloadError.exchange(nullptr);
}
void clearRecord(EngineErrorRecord* record) {
  delete record;
}
}  // namespace

void installFakeEngine() {
  // Installed once: the process's client is never released.
  static const bool installed = [] {
    EngineClient client;
    client.hunloadAllProcedures = unloadAll;
    client.hclearErrorMsg = clearRecord;
    installEngineClient(client);
    return true;
  }();
  (void)installed;
  unloadCalls = 0;
  nextUnloadError = nullptr;
}

EngineErrorRecord* makeErrorRecord(const char* message) {
  auto* record = new EngineErrorRecord{};
  record->type = 1;
  record->message = const_cast<char*>(message);
  record->progLine = -1;
  return record;
}

}  // namespace Velotrax::testing_support
