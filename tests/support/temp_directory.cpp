#include "temp_directory.h"

#include "tests/xml_text.h"

#include <fstream>

namespace fs = boost::filesystem;

namespace Velotrax {

TempDirectory::TempDirectory(const std::string& base)
    : path_((base.empty() ? fs::canonical(fs::temp_directory_path()) : fs::path(base)) /
            fs::unique_path("vx%%%%%%%%")) {
  fs::create_directories(path_);
}

TempDirectory::~TempDirectory() {
  boost::system::error_code ignored;
  fs::remove_all(path_, ignored);
}

ScratchDirectory::ScratchDirectory() : previous_(fs::current_path()) {
  fs::current_path(path());
}

ScratchDirectory::~ScratchDirectory() {
  boost::system::error_code ignored;
  fs::current_path(previous_, ignored);
}

void writeFile(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

namespace {

// In the platform's own separators, as the runner builds paths.
fs::path native(const std::string& relative) {
  return fs::path(relative).make_preferred();
}

}  // namespace

std::string TempDirectory::operator/(const std::string& relative) const {
  return (path_ / native(relative)).string();
}

std::string TempDirectory::write(const std::string& relative, const std::string& content) const {
  const fs::path file = path_ / native(relative);
  fs::create_directories(file.parent_path());
  std::ofstream(file.string(), std::ios::binary) << content;
  return file.string();
}

std::string TempDirectory::directory(const std::string& relative) const {
  fs::create_directories(path_ / native(relative));
  return (path_ / native(relative)).string();
}

std::string procedureXml(const std::string& name, const std::vector<std::string>& lines) {
  std::string xml = "<procedure name=\"" + name + "\">\n<interface/>\n<body>\n";
  for (const std::string& line : lines) {
    const bool comment = !line.empty() && line[0] == '*';
    xml += (comment ? "<c>" : "<l>") + xmlEscaped(line) + (comment ? "</c>\n" : "</l>\n");
  }
  return xml + "</body>\n<docu id=\"" + name + "\">\n<parameters/>\n</docu>\n</procedure>\n";
}

std::string scriptXml(const std::vector<std::string>& procedures) {
  std::string xml =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<hdevelop file_version=\"1.1\" halcon_version=\"13.0\">\n";
  for (const std::string& procedure : procedures) xml += procedure;
  return xml + "</hdevelop>\n";
}

}  // namespace Velotrax
