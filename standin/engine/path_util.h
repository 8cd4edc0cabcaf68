// File-system helpers for locating scripts and procedures.
#pragma once

#include <string>
#include <vector>

namespace standin::engine {

// Extension including the dot, lower-case ("" when there is none).
std::string lowerExtension(const std::string& path);
bool isDirectory(const std::string& path);
bool isRegularFile(const std::string& path);
std::string fileName(const std::string& path);
std::string parentDirectory(const std::string& path);
// dir/name; an absolute name is returned unchanged.
std::string joinPath(const std::string& dir, const std::string& name);
// Regular files in dir with the (lower-case) extension, sorted by name.
std::vector<std::string> filesWithExtension(const std::string& dir, const std::string& ext);
// Splits "a;b;;c" into the non-empty parts.
std::vector<std::string> splitPathList(const std::string& list);

}  // namespace standin::engine
