// A fresh directory under the system's temporary directory, removed with everything in it.
#pragma once

#include <fstream>
#include <string>

#include <boost/filesystem.hpp>

namespace Velotrax::testing_support {

class TempDirectory {
 public:
  // Under `base`, or the system's temporary directory when it is empty.
  explicit TempDirectory(const std::string& base = "")
      : path_((base.empty() ? boost::filesystem::temp_directory_path()
                            : boost::filesystem::path(base)) /
              boost::filesystem::unique_path("velotrax-test-%%%%-%%%%-%%%%")) {
    boost::filesystem::create_directories(path_);
  }
  ~TempDirectory() {
    boost::system::error_code ignored;
    boost::filesystem::remove_all(path_, ignored);
  }
  TempDirectory(const TempDirectory&) = delete;
  TempDirectory& operator=(const TempDirectory&) = delete;

  const boost::filesystem::path& path() const { return path_; }
  std::string name() const { return path_.string(); }
  std::string operator/(const std::string& entry) const { return (path_ / entry).string(); }

 private:
  boost::filesystem::path path_;
};

// Creates or replaces a file with the given text.
inline void writeFile(const std::string& path, const std::string& text = "x") {
  std::ofstream(path, std::ios::binary) << text;
}

}  // namespace Velotrax::testing_support
