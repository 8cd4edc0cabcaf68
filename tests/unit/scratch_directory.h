// A fresh directory for one test, removed afterwards, with helpers for writing script files.
// While it lives it is the working directory; the previous one comes back afterwards.
#pragma once

#include <boost/filesystem.hpp>
#include <string>
#include <vector>

namespace Velotrax {

class ScratchDirectory {
 public:
  ScratchDirectory();
  ~ScratchDirectory();
  ScratchDirectory(const ScratchDirectory&) = delete;
  ScratchDirectory& operator=(const ScratchDirectory&) = delete;

  const boost::filesystem::path& path() const { return path_; }
  // path() / relative, as text.
  std::string operator/(const std::string& relative) const;

  // Writes relative (creating its directories) and returns its full path.
  std::string write(const std::string& relative, const std::string& content) const;
  // Creates the directory relative and returns its full path.
  std::string directory(const std::string& relative) const;

 private:
  boost::filesystem::path previous_;
  boost::filesystem::path path_;
};

// One procedure element of an HDevelop file: lines beginning with "*" become comment lines,
// the others code lines; the text is entity-escaped.
std::string procedureXml(const std::string& name, const std::vector<std::string>& lines);
// A whole HDevelop file around procedure elements.
std::string scriptXml(const std::vector<std::string>& procedures);

}  // namespace Velotrax
