// Small file-system helpers the runner's layers share.
#pragma once

#include <boost/filesystem/path.hpp>
#include <string>
#include <vector>

namespace Velotrax {

// Status tests: an entry whose status cannot be read (a link to itself, say) is neither a
// directory nor a regular file here, rather than an error.
bool isDirectory(const boost::filesystem::path& path);
bool isRegularFile(const boost::filesystem::path& path);

// The entries joined by `separator`, in order.
std::string joined(const std::vector<std::string>& entries, const char* separator);

}  // namespace Velotrax
