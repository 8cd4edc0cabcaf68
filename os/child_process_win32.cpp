#include <string>

#include "child_process.h"
#include "event_native_win32.h"
#include "spawn_win32.h"

namespace Velotrax::os {

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
      if (!TerminateProcess(process.get(), 0)) {
        const OsFailure failure = lastFailure(kKillChildStep);
        // A child that ended between the wait and the call refuses it (access denied): the run
        // ends the same as if it had been killed.
        if (WaitForSingleObject(process.get(), 0) != WAIT_OBJECT_0) return failure;
      }
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
