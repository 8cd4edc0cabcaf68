#include <windows.h>

#include <atomic>
#include <map>

#include "child_pool.h"
#include "spawn_win32.h"

namespace Velotrax::os {

namespace {

// Set by the console's Ctrl+C, Ctrl+Break and close events while a pool exists.
std::atomic<HANDLE> interruptEvent{nullptr};

BOOL WINAPI onConsoleControl(DWORD) {
  const HANDLE event = interruptEvent.load();
  if (!event) return FALSE;
  SetEvent(event);
  return TRUE;
}

// An inheritable handle, for a child's standard input or output.
UniqueHandle inheritable(const char* path, DWORD access, DWORD disposition) {
  SECURITY_ATTRIBUTES security{sizeof security, NULL, TRUE};
  return UniqueHandle(CreateFileA(path, access, FILE_SHARE_READ | FILE_SHARE_WRITE, &security,
                                  disposition, FILE_ATTRIBUTE_NORMAL, NULL));
}

class Win32ChildPool : public ChildPool {
 public:
  Win32ChildPool() : interrupt_(CreateEventW(NULL, TRUE, FALSE, NULL)) {
    interruptEvent.store(interrupt_.get());
    SetConsoleCtrlHandler(onConsoleControl, TRUE);
  }

  ~Win32ChildPool() override {
    while (!children_.empty()) kill(children_.begin()->first);
    SetConsoleCtrlHandler(onConsoleControl, FALSE);
    interruptEvent.store(nullptr);
  }

  // One wait handle is the interrupt's.
  size_t capacity() const override { return MAXIMUM_WAIT_OBJECTS - 1; }

  OsResult<int> start(const Variables& variables, const std::string& outputPath) override {
    // Starts come from one thread: the variables are this process's until the next start.
    SetEnvironmentVariableA("VELOTRAX_IS_SLAVE", "1");
    for (const auto& [name, value] : variables)
      SetEnvironmentVariableA(name.c_str(), value.c_str());
    const EnvironmentBlock environment;
    const UniqueHandle input = inheritable("NUL", GENERIC_READ, OPEN_EXISTING);
    const UniqueHandle output = inheritable(outputPath.c_str(), GENERIC_WRITE, CREATE_ALWAYS);
    if (!output) return lastFailure("CreateFile");

    std::wstring commandLine = GetCommandLineW();  // CreateProcessW may write into its copy
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input.get();
    startup.hStdOutput = startup.hStdError = output.get();
    PROCESS_INFORMATION started{};
    // A group of its own: Ctrl+C reaches the pool, which ends its children.
    if (!CreateProcessW(ownExecutable().c_str(), commandLine.data(), NULL, NULL, TRUE,
                        CREATE_UNICODE_ENVIRONMENT | CREATE_NEW_PROCESS_GROUP, environment.get(),
                        NULL, &startup, &started))
      return lastFailure("CreateProcess");
    Child child{UniqueHandle(started.hProcess), UniqueHandle()};
    const UniqueHandle thread(started.hThread);
    child.job = jobFor(child.process.get());
    const int number = next_++;
    children_.emplace(number, std::move(child));
    return number;
  }

  OsResult<PoolWait> wait(int timeoutMs) override {
    std::vector<HANDLE> handles{interrupt_.get()};
    std::vector<int> numbers;
    for (const auto& [number, child] : children_) {
      handles.push_back(child.process.get());
      numbers.push_back(number);
    }
    const DWORD result =
        WaitForMultipleObjects(static_cast<DWORD>(handles.size()), handles.data(), FALSE,
                               timeoutMs < 0 ? INFINITE : static_cast<DWORD>(timeoutMs));
    if (result == WAIT_TIMEOUT) return PoolWait{};
    if (result == WAIT_OBJECT_0) return PoolWait{PoolWait::Kind::interrupted, -1, false, 0, 0};
    if (result > WAIT_OBJECT_0 && result < WAIT_OBJECT_0 + handles.size()) {
      const int number = numbers[result - WAIT_OBJECT_0 - 1];
      DWORD code = 0;
      const bool known = GetExitCodeProcess(children_.at(number).process.get(), &code);
      children_.erase(number);  // its job closes: what it left running ends
      return PoolWait{PoolWait::Kind::ended, number, known, static_cast<int>(code), 0};
    }
    return lastFailure("WaitForMultipleObjects");
  }

  void kill(int number) override {
    const auto found = children_.find(number);
    if (found == children_.end()) return;
    const HANDLE process = found->second.process.get();
    TerminateProcess(process, 1);
    // Termination completes asynchronously; the child is gone when the call returns.
    WaitForSingleObject(process, INFINITE);
    children_.erase(found);
  }

 private:
  struct Child {
    UniqueHandle process;
    UniqueHandle job;
  };

  UniqueHandle interrupt_;
  std::map<int, Child> children_;
  int next_ = 0;
};

}  // namespace

std::unique_ptr<ChildPool> ChildPool::create() {
  return std::make_unique<Win32ChildPool>();
}

}  // namespace Velotrax::os
