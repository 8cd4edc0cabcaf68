#include "spawn_win32.h"

namespace Velotrax::os {

namespace {

constexpr DWORD kPathGrowth = 260;

}  // namespace

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

UniqueHandle jobFor(HANDLE process) {
  UniqueHandle job(CreateJobObjectW(NULL, NULL));
  if (!job) return job;
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
  limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
  if (!SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation, &limits,
                               sizeof limits) ||
      !AssignProcessToJobObject(job.get(), process))
    job.reset();
  return job;
}

}  // namespace Velotrax::os
