#include <cerrno>
#include <cstdlib>
#include <memory>

#include "file_version.h"

namespace Velotrax::os {

namespace {

// Version numbers are 16 bits wide, as in a Windows version resource.
constexpr unsigned kMaxVersionNumber = 0xFFFF;

// Reads a decimal number at `at`, moving past it.
bool number(const std::string& text, size_t& at, unsigned& value) {
  const size_t start = at;
  value = 0;
  while (at < text.size() && text[at] >= '0' && text[at] <= '9' && at - start < 6)
    value = value * 10 + static_cast<unsigned>(text[at++] - '0');
  return at > start && value <= kMaxVersionNumber;
}

// Both ways this can fail are those in which Windows' first step, finding the file's version
// information, fails (the file is gone, or it carries no version), so the verbose trace names
// that step, as it does there.
constexpr const char* kVersionInfoStep = "GetFileVersionInfoSize";

}  // namespace

OsResult<FileVersion> fileVersion(const std::string& path) {
  errno = 0;
  std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.c_str(), nullptr), &std::free);
  if (!real) return lastFailure(kVersionInfoStep);
  const std::string file(real.get());
  const std::string name = file.substr(file.rfind('/') + 1);
  // libname.so.13.0.1: major and minor follow ".so."; later numbers play no part.
  const size_t suffix = name.find(".so.");
  FileVersion version{};
  size_t at = suffix + 4;
  if (suffix == std::string::npos || !number(name, at, version.major) || at >= name.size() ||
      name[at++] != '.' || !number(name, at, version.minor) ||
      (at < name.size() && name[at] != '.'))
    return OsFailure{kVersionInfoStep, ENODATA, "no version in the file name " + name};
  return version;
}

}  // namespace Velotrax::os
