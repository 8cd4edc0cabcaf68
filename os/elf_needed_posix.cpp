#include "elf_needed_posix.h"

#include <elf.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "unique_fd_posix.h"

namespace Velotrax::os {

namespace {

// Bounds for what a sane shared object holds; anything larger is treated as no ELF file.
constexpr size_t kMaxProgramHeaders = 4096;
constexpr size_t kMaxTableBytes = 1 << 20;  // dynamic section and string table

class File {
 public:
  // Without O_NONBLOCK opening a FIFO waits for a writer; for a regular file it changes nothing.
  explicit File(const std::string& path)
      : fd_(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)) {}

  // Reads exactly `size` bytes at `offset`.
  bool read(uint64_t offset, void* buffer, size_t size) const {
    auto* bytes = static_cast<char*>(buffer);
    while (size > 0) {
      const ssize_t got = ::pread(fd_.get(), bytes, size, static_cast<off_t>(offset));
      if (got <= 0) return false;
      bytes += got, offset += static_cast<uint64_t>(got), size -= static_cast<size_t>(got);
    }
    return true;
  }
  bool open() const { return static_cast<bool>(fd_); }
  bool status(struct stat& result) const { return ::fstat(fd_.get(), &result) == 0; }

 private:
  UniqueFd fd_;
};

// The file offset of a virtual address, through the loadable segment that maps it.
bool fileOffset(const std::vector<Elf64_Phdr>& segments, uint64_t address, uint64_t& offset) {
  for (const Elf64_Phdr& segment : segments) {
    if (segment.p_type == PT_LOAD && address >= segment.p_vaddr &&
        address - segment.p_vaddr < segment.p_filesz) {
      offset = segment.p_offset + (address - segment.p_vaddr);
      return true;
    }
  }
  return false;
}

// A 64-bit little-endian ELF header with program headers of the expected size and number.
bool readHeader(const File& file, Elf64_Ehdr& header) {
  return file.read(0, &header, sizeof header) &&
         std::memcmp(header.e_ident, ELFMAG, SELFMAG) == 0 &&
         header.e_ident[EI_CLASS] == ELFCLASS64 && header.e_ident[EI_DATA] == ELFDATA2LSB &&
         header.e_phentsize == sizeof(Elf64_Phdr) && header.e_phnum <= kMaxProgramHeaders;
}

}  // namespace

std::optional<OsFailure> libraryFileProblem(const std::string& path) {
  const auto refused = [&](const char* why) {
    return OsFailure{"dlopen", ELIBBAD, path + ": " + why};
  };
  const File file(path);
  struct stat status;
  if (!file.open() || !file.status(status)) return std::nullopt;
  if (!S_ISREG(status.st_mode)) return refused("not a regular file");
  Elf64_Ehdr header;
  if (!readHeader(file, header)) return std::nullopt;
  const uint64_t size = static_cast<uint64_t>(status.st_size);
  std::vector<Elf64_Phdr> segments(header.e_phnum);
  if (!file.read(header.e_phoff, segments.data(), segments.size() * sizeof(Elf64_Phdr)))
    return refused("file too short");
  for (const Elf64_Phdr& segment : segments) {
    if (segment.p_type == PT_LOAD &&
        (segment.p_offset > size || segment.p_filesz > size - segment.p_offset))
      return refused("file too short");
  }
  return std::nullopt;
}

std::vector<std::string> neededLibraries(const std::string& path) {
  const File file(path);
  Elf64_Ehdr header;
  if (!file.open() || !readHeader(file, header)) return {};

  std::vector<Elf64_Phdr> segments(header.e_phnum);
  if (!file.read(header.e_phoff, segments.data(), segments.size() * sizeof(Elf64_Phdr))) return {};
  const Elf64_Phdr* dynamic = nullptr;
  for (const Elf64_Phdr& segment : segments)
    if (segment.p_type == PT_DYNAMIC) dynamic = &segment;
  if (!dynamic || dynamic->p_filesz > kMaxTableBytes) return {};

  std::vector<Elf64_Dyn> entries(dynamic->p_filesz / sizeof(Elf64_Dyn));
  if (!file.read(dynamic->p_offset, entries.data(), entries.size() * sizeof(Elf64_Dyn))) return {};
  uint64_t tableAddress = 0, tableSize = 0;
  std::vector<uint64_t> nameOffsets;
  for (const Elf64_Dyn& entry : entries) {
    if (entry.d_tag == DT_NULL) break;
    if (entry.d_tag == DT_STRTAB) tableAddress = entry.d_un.d_ptr;
    if (entry.d_tag == DT_STRSZ) tableSize = entry.d_un.d_val;
    if (entry.d_tag == DT_NEEDED) nameOffsets.push_back(entry.d_un.d_val);
  }
  uint64_t tableOffset;
  if (nameOffsets.empty() || tableSize == 0 || tableSize > kMaxTableBytes ||
      !fileOffset(segments, tableAddress, tableOffset))
    return {};
  std::string table(tableSize, '\0');
  if (!file.read(tableOffset, table.data(), table.size())) return {};

  std::vector<std::string> names;
  for (uint64_t offset : nameOffsets) {
    if (offset >= table.size()) return {};
    const size_t end = table.find('\0', offset);
    if (end == std::string::npos) return {};
    names.push_back(table.substr(offset, end - offset));
  }
  return names;
}

}  // namespace Velotrax::os
