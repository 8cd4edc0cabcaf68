// The monitor's Windows side: directory change notifications through an I/O completion port.
#include <windows.h>

#include <array>
#include <atomic>
#include <cstddef>
#include <cstring>
#include <string>

#include <boost/filesystem/path.hpp>
#include <boost/system/system_error.hpp>

#include "dir_monitor_impl.h"
#include "dir_monitor_port.h"
#include "os/unique_handle_win32.h"
#include "os/utf16.h"

namespace Velotrax {

namespace {

constexpr const char* kPrefix = "boost::asio::basic_dir_monitor_service::";

constexpr DWORD kAccess = 1;          // FILE_LIST_DIRECTORY
constexpr DWORD kShare = 3;           // FILE_SHARE_READ | FILE_SHARE_WRITE: no delete, no rename
constexpr DWORD kFlags = 0x42000000;  // FILE_FLAG_OVERLAPPED | FILE_FLAG_BACKUP_SEMANTICS
constexpr DWORD kFilter = 0x1FF;      // every FILE_NOTIFY_CHANGE_* bit from file name to security
// The same without FILE_NOTIFY_CHANGE_EA (0x80), for systems that refuse that bit (Wine does).
constexpr DWORD kFilterWithoutEa = 0x17F;
constexpr DWORD kBufferSize = 1024;

[[noreturn]] void fail(DWORD error, const char* where) {
  throw boost::system::system_error(static_cast<int>(error), boost::system::system_category(),
                                    std::string(kPrefix) + where);
}

// One watched directory; its address is the completion key. The work thread owns it once its
// first read is under way.
struct WatchedDirectory {
  HANDLE handle;  // owned by the monitor's directory map
  std::string name;
  std::weak_ptr<dir_monitor_impl> owner;
  alignas(DWORD) std::array<char, kBufferSize> buffer;
  OVERLAPPED overlapped;
};

class DirectoryHandle final : public directory_handle {
 public:
  explicit DirectoryHandle(os::UniqueHandle handle) : handle_(std::move(handle)) {}

 private:
  os::UniqueHandle handle_;
};

BOOL startRead(WatchedDirectory& watched) {
  // Set once a read was refused the full filter; every later read uses the one that works.
  static std::atomic<DWORD> filter{kFilter};
  for (;;) {
    std::memset(&watched.overlapped, 0, sizeof watched.overlapped);
    DWORD bytes = 0;
    const DWORD tried = filter.load();
    if (ReadDirectoryChangesW(watched.handle, watched.buffer.data(), kBufferSize, FALSE, tried,
                              &bytes, &watched.overlapped, NULL))
      return TRUE;
    if (GetLastError() != ERROR_INVALID_PARAMETER || tried == kFilterWithoutEa) return FALSE;
    filter.store(kFilterWithoutEa);
  }
}

ChangeKind kindOf(DWORD action) {
  return action >= 1 && action <= 5 ? static_cast<ChangeKind>(action) : ChangeKind::none;
}

class CompletionPort final : public dir_monitor_port {
 public:
  CompletionPort() : port_(CreateIoCompletionPort(INVALID_HANDLE_VALUE, NULL, 0, 0)) {
    if (!port_) fail(GetLastError(), "init_iocp: CreateIoCompletionPort failed");
  }

  void add_directory(const std::shared_ptr<dir_monitor_impl>& impl,
                     const std::string& name) override {
    os::UniqueHandle handle(
        CreateFileA(name.c_str(), kAccess, kShare, NULL, OPEN_EXISTING, kFlags, NULL));
    if (!handle) fail(GetLastError(), "add_directory: CreateFile failed");
    auto watched = std::make_unique<WatchedDirectory>();
    watched->handle = handle.get();
    watched->name = name;
    watched->owner = impl;
    if (!CreateIoCompletionPort(handle.get(), port_.get(),
                                reinterpret_cast<ULONG_PTR>(watched.get()), 0))
      fail(GetLastError(), "add_directory: CreateIoCompletionPort failed");
    if (!startRead(*watched)) fail(GetLastError(), "add_directory: ReadDirectoryChangesW failed");
    watched.release();  // the work thread's from now on
    impl->directories.insert(name, std::make_unique<DirectoryHandle>(std::move(handle)));
  }

  void work_step() override {
    DWORD bytes = 0;
    ULONG_PTR key = 0;
    OVERLAPPED* overlapped = NULL;
    const BOOL ok = GetQueuedCompletionStatus(port_.get(), &bytes, &key, &overlapped, INFINITE);
    auto* watched = reinterpret_cast<WatchedDirectory*>(key);
    if (!ok) {
      const DWORD error = GetLastError();
      // A read that ended in an error has no read after it: its record goes. The usual case is
      // a monitor that closed its directories, which needs no report.
      if (watched && overlapped) {
        const bool closedByOwner = watched->owner.expired();
        delete watched;
        if (closedByOwner) return;
      }
      fail(error, "work_thread: GetQueuedCompletionStatus failed");
    }
    if (!watched) return;  // a stop request
    const std::shared_ptr<dir_monitor_impl> owner = watched->owner.lock();
    if (!owner) {  // its monitor is gone and has closed the directory
      delete watched;
      return;
    }
    if (bytes == 0) {
      // The records did not fit the buffer: the directory changed, details unknown. It is
      // reported, and reading goes on so the directory is not silenced.
      owner->queueEvent({watched->name, ChangeKind::overflow});
      if (!startRead(*watched)) fail(GetLastError(), "work_thread: ReadDirectoryChangesW failed");
      return;
    }
    // The records are copied out so the next read can start before they are looked at.
    const std::array<char, kBufferSize> records = watched->buffer;
    if (!startRead(*watched)) fail(GetLastError(), "work_thread: ReadDirectoryChangesW failed");
    queueRecords(*owner, watched->name, records.data(), bytes);
  }

  void wake() override {
    if (!PostQueuedCompletionStatus(port_.get(), 0, 0, NULL))
      fail(GetLastError(), "stop_work_thread: PostQueuedCompletionStatus failed");
  }

 private:
  static void queueRecords(dir_monitor_impl& owner, const std::string& directory,
                           const char* records, DWORD bytes) {
    for (DWORD offset = 0; offset + sizeof(FILE_NOTIFY_INFORMATION) <= bytes;) {
      FILE_NOTIFY_INFORMATION record;
      std::memcpy(&record, records + offset, sizeof record);
      const DWORD nameOffset = offset + offsetof(FILE_NOTIFY_INFORMATION, FileName);
      if (nameOffset + record.FileNameLength > bytes) break;  // never read past what arrived
      // The name is UTF-16; one with an unpaired surrogate is still a change, reported under
      // the name with U+FFFD in its place, which no file the runner knows has.
      std::u16string name(record.FileNameLength / sizeof(char16_t), u'\0');
      std::memcpy(name.data(), records + nameOffset, name.size() * sizeof(char16_t));
      const std::string entry = os::utf16ToUtf8Replacing(name);
      owner.queueEvent(
          {(boost::filesystem::path(directory) / entry).string(), kindOf(record.Action)});
      if (record.NextEntryOffset == 0) break;
      offset += record.NextEntryOffset;
    }
  }

  os::UniqueHandle port_;
};

}  // namespace

std::shared_ptr<dir_monitor_port> dir_monitor_port::create() {
  return std::make_shared<CompletionPort>();
}

}  // namespace Velotrax
