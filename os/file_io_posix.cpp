#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

#include "file_io.h"
#include "unique_fd_posix.h"

namespace Velotrax::os {

namespace {

std::string errorText(int code) {
  return std::strerror(code);
}

// The directory part of `path` with its slash, or nothing for a bare name.
std::string directoryOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// A new file beside the target, never one that exists: named by process and a counter.
UniqueFd createTemporary(const std::string& directory, std::string& name) {
  static std::atomic<unsigned> counter{0};
  for (int attempt = 0; attempt < 100; ++attempt) {
    name = directory + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
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
bool completeFile(UniqueFd fd, const std::string& target, std::string_view content) {
  struct stat old;
  // A replaced file keeps its permissions.
  if (::stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode) &&
      ::fchmod(fd.get(), old.st_mode & 07777) != 0)
    return false;
  if (!writeAll(fd.get(), content) || ::fsync(fd.get()) != 0) return false;
  return ::close(fd.release()) == 0;
}

}  // namespace

FileRead readRegularFile(const std::string& path) {
  FileRead result;
  // Without O_NONBLOCK opening a FIFO waits for a writer; for a regular file it changes nothing.
  const UniqueFd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  if (!fd) {
    const int code = errno;
    result.status =
        code == ENOENT || code == ENOTDIR ? FileRead::Status::missing : FileRead::Status::failed;
    result.error = errorText(code);
    return result;
  }
  struct stat status;
  if (::fstat(fd.get(), &status) != 0) {
    result.error = errorText(errno);
    return result;
  }
  if (!S_ISREG(status.st_mode)) {
    result.status = FileRead::Status::notRegular;
    result.error = "not a regular file";
    return result;
  }
  const auto tooLarge = [&] {
    result.status = FileRead::Status::tooLarge;
    result.error = "larger than " + std::to_string(kMaxReadFileBytes >> 20) + " MiB";
    result.content.clear();
    return result;
  };
  if (static_cast<std::uint64_t>(status.st_size) > kMaxReadFileBytes) return tooLarge();
  // Read to the end, not to the size seen: the file may change meanwhile, and stays capped.
  result.content.resize(static_cast<size_t>(status.st_size) + 1);
  size_t done = 0;
  while (true) {
    if (done == result.content.size()) {
      if (done > kMaxReadFileBytes) return tooLarge();
      result.content.resize(done * 2);
    }
    const ssize_t got =
        ::read(fd.get(), result.content.data() + done, result.content.size() - done);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      result.error = errorText(errno);
      result.content.clear();
      return result;
    }
    if (got == 0) break;
    done += static_cast<size_t>(got);
  }
  if (done > kMaxReadFileBytes) return tooLarge();
  result.content.resize(done);
  result.status = FileRead::Status::ok;
  return result;
}

bool replaceFile(const std::string& path, std::string_view content, std::string& error) {
  std::string temporary;
  UniqueFd fd = createTemporary(directoryOf(path), temporary);
  if (!fd) {
    error = errorText(errno);
    return false;
  }
  if (completeFile(std::move(fd), path, content) && ::rename(temporary.c_str(), path.c_str()) == 0)
    return true;
  error = errorText(errno);
  ::unlink(temporary.c_str());
  return false;
}

}  // namespace Velotrax::os
