#include <windows.h>
// After windows.h, which it needs.
#include <tlhelp32.h>

#include "deadline.h"
#include "os/unique_handle_win32.h"

namespace Velotrax::testing_support {

void killChildren() {
  const os::UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return;
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  const DWORD self = GetCurrentProcessId();
  for (BOOL more = Process32First(snapshot.get(), &entry); more;
       more = Process32Next(snapshot.get(), &entry)) {
    if (entry.th32ParentProcessID != self) continue;
    const os::UniqueHandle child(OpenProcess(PROCESS_TERMINATE, FALSE, entry.th32ProcessID));
    if (child) TerminateProcess(child.get(), 1);
  }
}

}  // namespace Velotrax::testing_support
