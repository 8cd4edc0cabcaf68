// The engine stack on POSIX: a mapping with a guard page, entered with swapcontext.
#include <sys/mman.h>
#include <ucontext.h>

#include <exception>

#include "HDevEngineCpp.h"
#include "engine_stack.h"
#include "errors.h"

// The address sanitizer must be told about every switch between stacks.
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define STANDIN_ADDRESS_SANITIZER 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define STANDIN_ADDRESS_SANITIZER 1
#endif
#ifdef STANDIN_ADDRESS_SANITIZER
#include <sanitizer/common_interface_defs.h>
#endif

namespace standin::engine {
namespace {

// Tell the address sanitizer that execution leaves one stack for another (nothing without it).
void startSwitch(void** fakeStack, const void* bottom, size_t size) {
#ifdef STANDIN_ADDRESS_SANITIZER
  __sanitizer_start_switch_fiber(fakeStack, bottom, size);
#else
  (void)fakeStack, (void)bottom, (void)size;
#endif
}
void finishSwitch(void* fakeStack, const void** bottom, size_t* size) {
#ifdef STANDIN_ADDRESS_SANITIZER
  __sanitizer_finish_switch_fiber(fakeStack, bottom, size);
#else
  (void)fakeStack, (void)bottom, (void)size;
#endif
}

// Catches a stack overflow of the engine instead of letting it run into other memory.
constexpr size_t kGuardBytes = size_t{64} << 10;

// Owns the mapping of one engine stack: an inaccessible guard area below the usable part.
class StackMapping {
 public:
  StackMapping() {
    void* p = ::mmap(nullptr, kGuardBytes + kEngineStackBytes, PROT_NONE,
                     MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (p == MAP_FAILED) return;
    char* usable = static_cast<char*>(p) + kGuardBytes;
    if (::mprotect(usable, kEngineStackBytes, PROT_READ | PROT_WRITE) != 0) {
      ::munmap(p, kGuardBytes + kEngineStackBytes);
      return;
    }
    base_ = p;
  }
  StackMapping(const StackMapping&) = delete;
  StackMapping& operator=(const StackMapping&) = delete;
  ~StackMapping() {
    if (base_) ::munmap(base_, kGuardBytes + kEngineStackBytes);
  }
  // Lowest usable address, or null when the stack could not be mapped.
  char* bottom() const { return base_ ? static_cast<char*>(base_) + kGuardBytes : nullptr; }

 private:
  void* base_ = nullptr;
};

struct Job {
  const std::function<void()>* work;
  std::exception_ptr error;
  ucontext_t caller, engine;
  void* callerFakeStack = nullptr;
  const void* callerBottom = nullptr;
  size_t callerSize = 0;
};

// The job being run on this thread's engine stack; null while off it.
thread_local Job* tlsJob = nullptr;

void runJob() {
  Job* job = tlsJob;
  finishSwitch(nullptr, &job->callerBottom, &job->callerSize);
  try {
    (*job->work)();
  } catch (...) {
    job->error = std::current_exception();
  }
  // Returning resumes the caller (uc_link); this stack is left for good.
  startSwitch(nullptr, job->callerBottom, job->callerSize);
}

}  // namespace

void onEngineStack(const std::function<void()>& work) {
  if (tlsJob) {
    work();
    return;
  }
  thread_local StackMapping stack;  // one per thread that uses the engine, kept for reuse
  if (!stack.bottom())
    throw HDevEngineCpp::HDevEngineException("Not enough memory for the engine stack",
                                             err::kOutOfMemory, "", "", -1);
  Job job{&work, nullptr, {}, {}};
  getcontext(&job.engine);
  job.engine.uc_stack.ss_sp = stack.bottom();
  job.engine.uc_stack.ss_size = kEngineStackBytes;
  job.engine.uc_link = &job.caller;
  makecontext(&job.engine, runJob, 0);
  tlsJob = &job;
  startSwitch(&job.callerFakeStack, stack.bottom(), kEngineStackBytes);
  swapcontext(&job.caller, &job.engine);
  finishSwitch(job.callerFakeStack, nullptr, nullptr);
  tlsJob = nullptr;
  if (job.error) std::rethrow_exception(job.error);
}

}  // namespace standin::engine
