// The script reader on arbitrary file contents: the body lines of every procedure and of a
// named one, read from the bytes as a stream, and the decoded lines and imports of the same
// bytes as a file. Nothing may crash, hang or leak; the named procedure's lines are a run of
// the lines the unnamed reading collects.
#include <algorithm>
#include <boost/filesystem.hpp>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "execution/import_scanner.h"

namespace {

void require(bool condition) {
  if (!condition) std::abort();
}

// The file each input is written to for the reader, removed when the process ends.
struct ScratchFile {
  const std::string path = (boost::filesystem::temp_directory_path() /
                            boost::filesystem::unique_path("velotrax-fuzz-%%%%%%%%.hdev"))
                               .string();
  ~ScratchFile() {
    boost::system::error_code ignored;
    boost::filesystem::remove(path, ignored);
  }
};

const std::string& scratchFile() {
  static const ScratchFile file;
  return file.path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string content(reinterpret_cast<const char*>(data), size);

  std::istringstream every(content);
  const std::vector<std::string> all = Velotrax::readBodyLines(every, "");
  std::istringstream named(content);
  const std::vector<std::string> main = Velotrax::readBodyLines(named, "main");
  size_t length = 0;
  for (const std::string& line : all) length += line.size();
  require(length <= size);
  require(std::search(all.begin(), all.end(), main.begin(), main.end()) != all.end() ||
          main.empty());

  std::ofstream(scratchFile(), std::ios::binary | std::ios::trunc) << content;
  std::vector<std::string> lines, imports;
  try {
    Velotrax::readProcedureFile(scratchFile(), "", lines, imports, false);
  } catch (const boost::filesystem::filesystem_error&) {
    // An import that exists but cannot be made canonical: a clean error for the caller.
  }
  require(lines.size() == all.size());
  return 0;
}
