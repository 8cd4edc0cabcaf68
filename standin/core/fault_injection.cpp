#include "fault_injection.h"

#include <atomic>
#include <cstdlib>
#include <new>
#include <stdexcept>

#include "errors.h"

namespace standin {
namespace {
std::atomic<Fault> gArmed{Fault::None};
}

void armFault(const std::string& kind) {
  Fault fault;
  if (kind == "none")
    fault = Fault::None;
  else if (kind == "bad_alloc")
    fault = Fault::BadAlloc;
  else if (kind == "exception")
    fault = Fault::StdException;
  else if (kind == "unknown")
    fault = Fault::Unknown;
  else if (kind == "vision")
    fault = Fault::Vision;
  else if (kind == "engine")
    fault = Fault::Engine;
  else if (kind == "crash")
    std::abort();  // the library itself crashing, as a host must survive it
  else
    raise("set_system", err::kWrongValue + 2);
  gArmed.store(fault);
}

Fault takeArmedFault(bool engine) {
  Fault armed = gArmed.load();
  while (armed != Fault::None && (engine || armed != Fault::Engine))
    if (gArmed.compare_exchange_weak(armed, Fault::None)) return armed;
  return Fault::None;
}

void throwFault(Fault fault, const char* op) {
  switch (fault) {
    case Fault::BadAlloc:
      throw std::bad_alloc();
    case Fault::StdException:
      throw std::runtime_error("injected failure");
    case Fault::Unknown:
      throw 42;
    case Fault::Vision:
      raise(op, err::kInjectedFault);
    case Fault::None:
    case Fault::Engine:
      return;
  }
}

}  // namespace standin
