// A fresh directory under the system's temporary directory, removed with everything in it, with
// helpers for writing files and script files into it.
#pragma once

#include <boost/filesystem.hpp>
#include <string>
#include <vector>

namespace Velotrax {

class TempDirectory {
 public:
  // Under `base`, or the system's temporary directory when it is empty.
  explicit TempDirectory(const std::string& base = "");
  ~TempDirectory();
  TempDirectory(const TempDirectory&) = delete;
  TempDirectory& operator=(const TempDirectory&) = delete;

  const boost::filesystem::path& path() const { return path_; }
  std::string name() const { return path_.string(); }
  // path() / relative, as text, in the platform's own separators.
  std::string operator/(const std::string& relative) const;

  // Writes relative (creating its directories) and returns its full path.
  std::string write(const std::string& relative, const std::string& content) const;
  // Creates the directory relative and returns its full path.
  std::string directory(const std::string& relative) const;

 private:
  boost::filesystem::path path_;
};

// A temporary directory that is the working directory while it lives; the previous one comes
// back afterwards.
class ScratchDirectory : public TempDirectory {
 public:
  ScratchDirectory();
  ~ScratchDirectory();

 private:
  boost::filesystem::path previous_;
};

// Creates or replaces a file with the given text.
void writeFile(const std::string& path, const std::string& text = "x");

// One procedure element of an HDevelop file: lines beginning with "*" become comment lines,
// the others code lines; the text is entity-escaped.
std::string procedureXml(const std::string& name, const std::vector<std::string>& lines);
// A whole HDevelop file around procedure elements.
std::string scriptXml(const std::vector<std::string>& procedures);

}  // namespace Velotrax
