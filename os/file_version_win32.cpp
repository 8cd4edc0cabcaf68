#include <windows.h>

#include <vector>

#include "file_version.h"

namespace Velotrax::os {

namespace {

std::optional<FileVersion> failed(const char* step, OsFailure& failure) {
  failure = OsFailure{step, lastErrorCode(), lastErrorText()};
  return std::nullopt;
}

}  // namespace

std::optional<FileVersion> fileVersion(const std::string& path, OsFailure& failure) {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
  if (size == 0) return failed("GetFileVersionInfoSize", failure);
  std::vector<char> block(size);
  if (!GetFileVersionInfoA(path.c_str(), 0, size, block.data()))
    return failed("GetFileVersionInfo", failure);
  void* root = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(block.data(), L"\\", &root, &length) || length < sizeof(VS_FIXEDFILEINFO))
    return failed("VerQueryValue", failure);
  const auto* info = static_cast<const VS_FIXEDFILEINFO*>(root);
  // The file version's last two numbers (dwFileVersionLS) play no part.
  return FileVersion{HIWORD(info->dwFileVersionMS), LOWORD(info->dwFileVersionMS)};
}

}  // namespace Velotrax::os
