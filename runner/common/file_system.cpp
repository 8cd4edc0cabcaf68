#include "file_system.h"

#include <boost/filesystem/operations.hpp>

namespace fs = boost::filesystem;

namespace Velotrax {

bool isDirectory(const fs::path& path) {
  boost::system::error_code unreadable;
  return fs::is_directory(path, unreadable);
}

bool isRegularFile(const fs::path& path) {
  boost::system::error_code unreadable;
  return fs::is_regular_file(path, unreadable);
}

std::string joined(const std::vector<std::string>& entries, const char* separator) {
  std::string text;
  for (size_t i = 0; i < entries.size(); ++i) text += (i ? separator : "") + entries[i];
  return text;
}

}  // namespace Velotrax
