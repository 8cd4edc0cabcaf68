// Whole files read and written without surprises: what is read as a script, procedure, library
// or registry file is a regular file of bounded size, opened so that a FIFO or a device never
// blocks; what is written whole replaces the old file only once it is complete.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "system_error.h"

namespace Velotrax::os {

// The most any such file may hold. Script and registry files are kilobytes; a file this large
// is damage, or a device behind a link, and reading it would only exhaust memory.
constexpr std::uint64_t kMaxReadFileBytes = std::uint64_t{16} << 20;

// Reads the file at `path` whole. Anything but a regular file (a directory, FIFO, socket or
// device) is refused without waiting for a writer, as "not a regular file"; so is a file over
// kMaxReadFileBytes, as "larger than 16 MiB". Other failures are in the system's words.
OsResult<std::string> readRegularFile(const std::string& path);

// Whether readRegularFile failed because there is no file at the path.
bool isMissingFile(const OsFailure& failure);

// Writes `content` to a new file in the directory of `path` and then renames it over `path`.
// When any step fails, the file at `path` is exactly as before and the new file is removed again.
std::optional<OsFailure> replaceFile(const std::string& path, std::string_view content);

// How the names of the temporary files that replaceFile of this process writes, before it renames
// them, begin: a watch of the target's directory sees them come and go.
std::string ownTemporaryPrefix();

// Writes `content` to the file at `path`, created or emptied first, without waiting for the
// device: for a file this program reads back itself once the writer has ended, where a slow
// flush would only cost time.
std::optional<OsFailure> writeScratchFile(const std::string& path, std::string_view content);

}  // namespace Velotrax::os
