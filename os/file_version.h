// The version a shared library carries.
#pragma once

#include <string>

#include "system_error.h"

namespace Velotrax::os {

struct FileVersion {
  unsigned major;
  unsigned minor;
};

// The major.minor version of the library file at `path`: on Windows its version resource, on
// Linux the ".so.<major>.<minor>..." suffix of the real file behind its links. A failure names
// the failed step: on every platform one of Windows' three steps GetFileVersionInfoSize,
// GetFileVersionInfo and VerQueryValue.
OsResult<FileVersion> fileVersion(const std::string& path);

}  // namespace Velotrax::os
