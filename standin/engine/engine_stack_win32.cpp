// The engine stack on Windows: a fiber with its own stack reserve.
#include <windows.h>

#include <exception>

#include "HDevEngineCpp.h"
#include "engine_stack.h"
#include "errors.h"

namespace standin::engine {
namespace {

// Stack committed when the fiber starts; the rest of the reserve is committed as it is used.
constexpr size_t kInitialCommit = size_t{64} << 10;

struct Job {
  const std::function<void()>* work;
  std::exception_ptr error;
  void* caller;
};

// The job being run on this thread's engine stack; null while off it.
thread_local Job* tlsJob = nullptr;

void CALLBACK runJob(void* parameter) {
  Job* job = static_cast<Job*>(parameter);
  try {
    (*job->work)();
  } catch (...) {
    job->error = std::current_exception();
  }
  // A fiber's function must never return: hand control back; the caller deletes this fiber.
  SwitchToFiber(job->caller);
}

// GetCurrentFiber reads the thread's information block through the GS segment, an access
// GCC's array-bounds check mistakes for an out-of-bounds read.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Warray-bounds"
void* currentFiber() {
  return GetCurrentFiber();
}
#pragma GCC diagnostic pop

// Makes the calling thread a fiber for as long as it lives, unless it already is one.
class ThreadAsFiber {
 public:
  ThreadAsFiber() {
    if (IsThreadAFiber()) {
      fiber_ = currentFiber();
    } else {
      fiber_ = ConvertThreadToFiber(nullptr);
      converted_ = fiber_ != nullptr;
    }
  }
  ThreadAsFiber(const ThreadAsFiber&) = delete;
  ThreadAsFiber& operator=(const ThreadAsFiber&) = delete;
  ~ThreadAsFiber() {
    if (converted_) ConvertFiberToThread();
  }
  void* fiber() const { return fiber_; }

 private:
  void* fiber_ = nullptr;
  bool converted_ = false;
};

// Owns one fiber.
class Fiber {
 public:
  explicit Fiber(void* fiber) : fiber_(fiber) {}
  Fiber(const Fiber&) = delete;
  Fiber& operator=(const Fiber&) = delete;
  ~Fiber() {
    if (fiber_) DeleteFiber(fiber_);
  }
  void* get() const { return fiber_; }

 private:
  void* fiber_;
};

[[noreturn]] void noStack() {
  throw HDevEngineCpp::HDevEngineException("Not enough memory for the engine stack",
                                           err::kOutOfMemory, "", "", -1);
}

}  // namespace

void onEngineStack(const std::function<void()>& work) {
  if (tlsJob) {
    work();
    return;
  }
  ThreadAsFiber self;
  if (!self.fiber()) noStack();
  Job job{&work, nullptr, self.fiber()};
  Fiber engine(
      CreateFiberEx(kInitialCommit, kEngineStackBytes, FIBER_FLAG_FLOAT_SWITCH, runJob, &job));
  if (!engine.get()) noStack();
  tlsJob = &job;
  SwitchToFiber(engine.get());
  tlsJob = nullptr;
  if (job.error) std::rethrow_exception(job.error);
}

}  // namespace standin::engine
