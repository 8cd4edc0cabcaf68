#include <string>

#include <windows.h>

#include <commdlg.h>

#include "dialogs.h"

namespace Velotrax::os {

void showMessageBox(std::string_view caption, std::string_view text, BoxIcon icon) {
  UINT flags = MB_SETFOREGROUND;
  if (icon == BoxIcon::error) flags |= MB_ICONERROR;
  MessageBoxA(nullptr, std::string(text).c_str(), std::string(caption).c_str(), flags);
}

std::string askOpenFileName(std::string_view title, const std::vector<FileFilter>& filters) {
  // The filter list is pairs of NUL-terminated texts, ended by one more NUL.
  std::string filterList;
  for (const FileFilter& filter : filters) {
    filterList += filter.shown;
    filterList += '\0';
    filterList += filter.patterns;
    filterList += '\0';
  }
  filterList += '\0';
  const std::string titleText(title);
  char fileName[MAX_PATH] = {};

  OPENFILENAMEA dialog = {};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = nullptr;
  dialog.lpstrFilter = filterList.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = fileName;
  dialog.nMaxFile = MAX_PATH;
  dialog.lpstrTitle = titleText.c_str();
  dialog.Flags = OFN_HIDEREADONLY | OFN_NOVALIDATE;
  if (!GetOpenFileNameA(&dialog)) return {};
  return fileName;
}

}  // namespace Velotrax::os
