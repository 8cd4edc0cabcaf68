// Message boxes and the open-file dialog.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace Velotrax::os {

enum class BoxIcon { none, error };

// Shows a message box brought to the foreground; returns when it is closed. Failures are ignored.
void showMessageBox(std::string_view caption, std::string_view text, BoxIcon icon);

struct FileFilter {
  std::string shown;     // text the user sees
  std::string patterns;  // ';'-separated wildcards
};

// Asks the user for one file; the name is returned as typed, unvalidated. Empty on cancel or
// failure.
std::string askOpenFileName(std::string_view title, const std::vector<FileFilter>& filters);

}  // namespace Velotrax::os
