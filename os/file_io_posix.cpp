#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

#include "file_io.h"
#include "unique_fd_posix.h"

namespace Velotrax::os {

std::string ownTemporaryPrefix() {
  return ".tmp-" + std::to_string(::getpid()) + "-";
}

namespace {

// The directory part of `path` with its slash, or nothing for a bare name.
std::string directoryOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// A new file beside the target, never one that exists: named by process and a counter.
UniqueFd createTemporary(const std::string& directory, std::string& name) {
  static std::atomic<unsigned> counter{0};
  for (int attempt = 0; attempt < 100; ++attempt) {
    name = directory + ownTemporaryPrefix() + std::to_string(counter++);
    UniqueFd fd(::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (fd || errno != EEXIST) return fd;
  }
  return UniqueFd();
}

bool writeAll(int fd, std::string_view content) {
  while (!content.empty()) {
    const ssize_t done = ::write(fd, content.data(), content.size());
    if (done < 0 && errno == EINTR) continue;
    if (done < 0) return false;
    content.remove_prefix(static_cast<size_t>(done));
  }
  return true;
}

// Writes, flushes to the device and closes: a full disk or an I/O error shows in one of them.
// The step that failed, or nothing.
const char* completeFile(UniqueFd fd, const std::string& target, std::string_view content) {
  struct stat old;
  // A replaced file keeps its permissions.
  if (::stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode) &&
      ::fchmod(fd.get(), old.st_mode & 07777) != 0)
    return "fchmod";
  if (!writeAll(fd.get(), content)) return "write";
  if (::fsync(fd.get()) != 0) return "fsync";
  return ::close(fd.release()) == 0 ? nullptr : "close";
}

OsFailure tooLarge() {
  return OsFailure{"read", EFBIG,
                   "larger than " + std::to_string(kMaxReadFileBytes >> 20) + " MiB"};
}

}  // namespace

OsResult<std::string> readRegularFile(const std::string& path) {
  // Without O_NONBLOCK opening a FIFO waits for a writer; for a regular file it changes nothing.
  const UniqueFd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  if (!fd) return lastFailure("open");
  struct stat status;
  if (::fstat(fd.get(), &status) != 0) return lastFailure("fstat");
  if (!S_ISREG(status.st_mode)) return OsFailure{"fstat", EINVAL, "not a regular file"};
  if (static_cast<std::uint64_t>(status.st_size) > kMaxReadFileBytes) return tooLarge();
  // Read to the end, not to the size seen: the file may change meanwhile, and stays capped.
  std::string content(static_cast<size_t>(status.st_size) + 1, '\0');
  size_t done = 0;
  while (true) {
    if (done == content.size()) {
      if (done > kMaxReadFileBytes) return tooLarge();
      content.resize(done * 2);
    }
    const ssize_t got = ::read(fd.get(), content.data() + done, content.size() - done);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return lastFailure("read");
    if (got == 0) break;
    done += static_cast<size_t>(got);
  }
  if (done > kMaxReadFileBytes) return tooLarge();
  content.resize(done);
  return content;
}

bool isMissingFile(const OsFailure& failure) {
  return failure.step == "open" && (failure.code == ENOENT || failure.code == ENOTDIR);
}

std::optional<OsFailure> replaceFile(const std::string& path, std::string_view content) {
  std::string temporary;
  UniqueFd fd = createTemporary(directoryOf(path), temporary);
  if (!fd) return lastFailure("open");
  const char* failed = completeFile(std::move(fd), path, content);
  if (!failed && ::rename(temporary.c_str(), path.c_str()) == 0) return std::nullopt;
  OsFailure failure = lastFailure(failed ? failed : "rename");
  ::unlink(temporary.c_str());
  return failure;
}

std::optional<OsFailure> writeScratchFile(const std::string& path, std::string_view content) {
  UniqueFd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600));
  if (!fd) return lastFailure("open");
  if (!writeAll(fd.get(), content)) return lastFailure("write");
  if (::close(fd.release()) != 0) return lastFailure("close");
  return std::nullopt;
}

}  // namespace Velotrax::os
