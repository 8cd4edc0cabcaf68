#include <string>

#include "child_process.h"
#include "event_native_win32.h"

namespace Velotrax::os {

namespace {

constexpr DWORD kPathGrowth = 260;

// The runner's own executable, however long its path.
std::wstring ownExecutable() {
  std::wstring path(kPathGrowth, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(NULL, path.data(), static_cast<DWORD>(path.size()));
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() + kPathGrowth);
  }
}

// The environment block from GetEnvironmentStringsW, handed back when done.
class EnvironmentBlock {
 public:
  EnvironmentBlock() : block_(GetEnvironmentStringsW()) {}
  ~EnvironmentBlock() {
    if (block_) FreeEnvironmentStringsW(block_);
  }
  EnvironmentBlock(const EnvironmentBlock&) = delete;
  EnvironmentBlock& operator=(const EnvironmentBlock&) = delete;
  wchar_t* get() const { return block_; }

 private:
  wchar_t* block_;
};

// A job that kills its processes when its last handle closes: whatever the child starts ends
// with it, also if the runner itself is ended.
UniqueHandle jobFor(HANDLE process) {
  UniqueHandle job(CreateJobObjectW(NULL, NULL));
  if (!job) return job;
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
  limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
  // Best effort: where jobs cannot nest (before Windows 8) the child still runs, unguarded.
  if (!SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation, &limits,
                               sizeof limits) ||
      !AssignProcessToJobObject(job.get(), process))
    job.reset();
  return job;
}

}  // namespace

const char* const kStartChildStep = "CreateProcess";
const char* const kKillChildStep = "TerminateProcess";

OsResult<ChildOutcome> runSelfAsChild(Event* change) {
  const std::wstring executable = ownExecutable();
  SetEnvironmentVariableW(L"VELOTRAX_IS_SLAVE", L"1");
  const EnvironmentBlock environment;
  std::wstring commandLine = GetCommandLineW();  // CreateProcessW may write into its copy

  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started{};
  if (!CreateProcessW(executable.c_str(), commandLine.data(), NULL, NULL, FALSE,
                      CREATE_UNICODE_ENVIRONMENT, environment.get(), NULL, &startup, &started))
    return lastFailure(kStartChildStep);
  const UniqueHandle process(started.hProcess), thread(started.hThread);
  const UniqueHandle job = jobFor(process.get());

  HANDLE handles[2] = {process.get(), change ? change->native().handle.get() : NULL};
  ChildOutcome outcome;
  switch (WaitForMultipleObjects(change ? 2 : 1, handles, FALSE, INFINITE)) {
    case WAIT_OBJECT_0: {
      DWORD code = 0;
      if (GetExitCodeProcess(process.get(), &code))
        outcome = {ChildOutcome::End::exited, static_cast<int>(code)};
      break;
    }
    case WAIT_OBJECT_0 + 1:
      if (!TerminateProcess(process.get(), 0)) return lastFailure(kKillChildStep);
      // Termination completes asynchronously: only once the child is gone does the next run
      // start, so two children never share the console.
      WaitForMultipleObjects(1, handles, FALSE, INFINITE);
      outcome = {ChildOutcome::End::killed, 0};
      break;
    default:
      break;
  }
  return outcome;
}

void followParent() {
  // The job the parent put this process in kills it when the parent's handle to it goes.
}

}  // namespace Velotrax::os
