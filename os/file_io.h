// Whole files read and written without surprises: what is read as a script, procedure, library
// or registry file is a regular file of bounded size, opened so that a FIFO or a device never
// blocks; what is written whole replaces the old file only once it is complete.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace Velotrax::os {

// The most any such file may hold. Script and registry files are kilobytes; a file this large
// is damage, or a device behind a link, and reading it would only exhaust memory.
constexpr std::uint64_t kMaxReadFileBytes = std::uint64_t{16} << 20;

struct FileRead {
  enum class Status { ok, missing, notRegular, tooLarge, failed };
  Status status = Status::failed;
  std::string content;  // the whole file, when ok
  std::string error;    // why not: "not a regular file", "larger than 16 MiB" or the system's words
};

// Reads the file at `path` whole. Anything but a regular file (a directory, FIFO, socket or
// device) is refused without waiting for a writer; so is a file over kMaxReadFileBytes.
FileRead readRegularFile(const std::string& path);

// Writes `content` to a new file in the directory of `path` and then renames it over `path`.
// False, with the system's reason in `error`, when any step fails: the file at `path` is then
// exactly as before and the new file is removed again.
bool replaceFile(const std::string& path, std::string_view content, std::string& error);

}  // namespace Velotrax::os
