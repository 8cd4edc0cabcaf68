#include <windows.h>

#include <vector>

#include "file_version.h"

namespace Velotrax::os {

OsResult<FileVersion> fileVersion(const std::string& path) {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
  if (size == 0) return lastFailure("GetFileVersionInfoSize");
  std::vector<char> block(size);
  if (!GetFileVersionInfoA(path.c_str(), 0, size, block.data()))
    return lastFailure("GetFileVersionInfo");
  void* root = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(block.data(), L"\\", &root, &length) || length < sizeof(VS_FIXEDFILEINFO))
    return lastFailure("VerQueryValue");
  const auto* info = static_cast<const VS_FIXEDFILEINFO*>(root);
  // The file version's last two numbers (dwFileVersionLS) play no part.
  return FileVersion{HIWORD(info->dwFileVersionMS), LOWORD(info->dwFileVersionMS)};
}

}  // namespace Velotrax::os
