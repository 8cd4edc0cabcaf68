#include <windows.h>

#include <algorithm>
#include <atomic>

#include "file_io.h"
#include "unique_handle_win32.h"

namespace Velotrax::os {

std::string ownTemporaryPrefix() {
  return ".tmp-" + std::to_string(GetCurrentProcessId()) + "-";
}

namespace {

// The last error as the failure of `step`, its message without the line break it ends with, to
// follow a file name.
OsFailure failure(const char* step) {
  OsFailure result = lastFailure(step);
  std::string& text = result.text;
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
    text.pop_back();
  return result;
}

// The directory part of `path` with its separator or drive, or nothing for a bare name.
std::string directoryOf(const std::string& path) {
  const size_t separator = path.find_last_of("/\\");
  if (separator != std::string::npos) return path.substr(0, separator + 1);
  return path.size() >= 2 && path[1] == ':' ? path.substr(0, 2) : std::string();
}

// A new file beside the target, never one that exists: named by process and a counter.
UniqueHandle createTemporary(const std::string& directory, std::string& name) {
  static std::atomic<unsigned> counter{0};
  for (int attempt = 0; attempt < 100; ++attempt) {
    name = directory + ownTemporaryPrefix() + std::to_string(counter++);
    UniqueHandle file(CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file || GetLastError() != ERROR_FILE_EXISTS) return file;
  }
  return UniqueHandle();
}

bool writeAll(HANDLE file, std::string_view content) {
  while (!content.empty()) {
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(content.size(), 1u << 30));
    DWORD written = 0;
    if (!WriteFile(file, content.data(), chunk, &written, nullptr)) return false;
    content.remove_prefix(written);
  }
  return true;
}

// Writes, flushes to the device and closes: a full disk or an I/O error shows in one of them.
// The step that failed, or nothing.
const char* completeFile(UniqueHandle file, std::string_view content) {
  if (!writeAll(file.get(), content)) return "WriteFile";
  if (!FlushFileBuffers(file.get())) return "FlushFileBuffers";
  return CloseHandle(file.release()) ? nullptr : "CloseHandle";
}

OsFailure tooLarge() {
  return OsFailure{"ReadFile", ERROR_FILE_TOO_LARGE,
                   "larger than " + std::to_string(kMaxReadFileBytes >> 20) + " MiB"};
}

}  // namespace

OsResult<std::string> readRegularFile(const std::string& path) {
  const UniqueHandle file(CreateFileA(path.c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return failure("CreateFile");
  BY_HANDLE_FILE_INFORMATION information;
  if (GetFileType(file.get()) != FILE_TYPE_DISK ||
      !GetFileInformationByHandle(file.get(), &information) ||
      (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
    return OsFailure{"GetFileType", ERROR_BAD_FILE_TYPE, "not a regular file"};
  const std::uint64_t size =
      (std::uint64_t{information.nFileSizeHigh} << 32) | information.nFileSizeLow;
  if (size > kMaxReadFileBytes) return tooLarge();
  // Read to the end, not to the size seen: the file may change meanwhile, and stays capped.
  std::string content(static_cast<size_t>(size) + 1, '\0');
  size_t done = 0;
  while (true) {
    if (done == content.size()) {
      if (done > kMaxReadFileBytes) return tooLarge();
      content.resize(done * 2);
    }
    DWORD got = 0;
    if (!ReadFile(file.get(), content.data() + done, static_cast<DWORD>(content.size() - done),
                  &got, nullptr))
      return failure("ReadFile");
    if (got == 0) break;
    done += got;
  }
  if (done > kMaxReadFileBytes) return tooLarge();
  content.resize(done);
  return content;
}

bool isMissingFile(const OsFailure& failure) {
  return failure.step == "CreateFile" &&
         (failure.code == ERROR_FILE_NOT_FOUND || failure.code == ERROR_PATH_NOT_FOUND);
}

std::optional<OsFailure> replaceFile(const std::string& path, std::string_view content) {
  std::string temporary;
  UniqueHandle file = createTemporary(directoryOf(path), temporary);
  if (!file) return failure("CreateFile");
  const char* failed = completeFile(std::move(file), content);
  if (!failed && MoveFileExA(temporary.c_str(), path.c_str(),
                             MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return std::nullopt;
  OsFailure result = failure(failed ? failed : "MoveFileEx");
  DeleteFileA(temporary.c_str());
  return result;
}

std::optional<OsFailure> writeScratchFile(const std::string& path, std::string_view content) {
  UniqueHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return failure("CreateFile");
  if (!writeAll(file.get(), content)) return failure("WriteFile");
  if (!CloseHandle(file.release())) return failure("CloseHandle");
  return std::nullopt;
}

}  // namespace Velotrax::os
