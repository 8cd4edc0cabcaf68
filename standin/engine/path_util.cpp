#include "path_util.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace fs = std::filesystem;

namespace standin::engine {

std::string lowerExtension(const std::string& path) {
  std::string ext = fs::path(path).extension().string();
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return ext;
}

bool isDirectory(const std::string& path) {
  std::error_code ec;
  return fs::is_directory(path, ec);
}

bool isRegularFile(const std::string& path) {
  std::error_code ec;
  return fs::is_regular_file(path, ec);
}

std::string fileName(const std::string& path) {
  return fs::path(path).filename().string();
}

std::string parentDirectory(const std::string& path) {
  std::string dir = fs::path(path).parent_path().string();
  return dir.empty() ? "." : dir;
}

std::string joinPath(const std::string& dir, const std::string& name) {
  fs::path p(name);
  if (p.is_absolute()) return name;
  return (fs::path(dir) / p).lexically_normal().string();
}

std::vector<std::string> filesWithExtension(const std::string& dir, const std::string& ext) {
  std::vector<std::string> out;
  std::error_code ec;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    if (it->is_regular_file(ec) && lowerExtension(it->path().string()) == ext)
      out.push_back(it->path().string());
  }
  std::sort(out.begin(), out.end());
  return out;
}

std::vector<std::string> splitPathList(const std::string& list) {
  std::vector<std::string> out;
  size_t start = 0;
  while (start <= list.size()) {
    size_t end = list.find(';', start);
    if (end == std::string::npos) end = list.size();
    if (end > start) out.push_back(list.substr(start, end - start));
    start = end + 1;
  }
  return out;
}

}  // namespace standin::engine
