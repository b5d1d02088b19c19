#include "scene/import/build_id.h"

#include <elf.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <vector>

namespace Importing::Import {
namespace {

std::string Hex(const unsigned char* bytes, std::size_t count) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text;
  for (std::size_t i = 0; i < count; ++i) {
    text.push_back(kDigits[bytes[i] >> 4]);
    text.push_back(kDigits[bytes[i] & 15]);
  }
  return text;
}

bool ReadAt(std::ifstream& file, std::uint64_t offset, void* out, std::size_t count) {
  file.clear();
  file.seekg(static_cast<std::streamoff>(offset));
  return static_cast<bool>(file.read(static_cast<char*>(out), static_cast<std::streamsize>(count)));
}

// The descriptor of the NT_GNU_BUILD_ID note among the PT_NOTE segments of a
// 64-bit little-endian ELF file; empty when there is none.
std::string GnuBuildId(std::ifstream& file) {
  Elf64_Ehdr header;
  if (!ReadAt(file, 0, &header, sizeof header) || std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 ||
      header.e_ident[EI_CLASS] != ELFCLASS64 || header.e_ident[EI_DATA] != ELFDATA2LSB ||
      header.e_phentsize != sizeof(Elf64_Phdr) || header.e_phnum > 256)
    return {};
  for (unsigned i = 0; i < header.e_phnum; ++i) {
    Elf64_Phdr segment;
    if (!ReadAt(file, header.e_phoff + i * sizeof segment, &segment, sizeof segment)) return {};
    if (segment.p_type != PT_NOTE || segment.p_filesz > (1u << 16)) continue;
    std::vector<unsigned char> notes(segment.p_filesz);
    if (!ReadAt(file, segment.p_offset, notes.data(), notes.size())) return {};
    const auto aligned = [](std::size_t size) { return (size + 3) & ~std::size_t{3}; };
    for (std::size_t at = 0; at + sizeof(Elf64_Nhdr) <= notes.size();) {
      Elf64_Nhdr note;
      std::memcpy(&note, notes.data() + at, sizeof note);
      const std::size_t name = at + sizeof note, desc = name + aligned(note.n_namesz);
      if (desc + note.n_descsz > notes.size()) break;
      if (note.n_type == NT_GNU_BUILD_ID && note.n_namesz == 4 && std::memcmp(&notes[name], "GNU", 4) == 0)
        return Hex(&notes[desc], note.n_descsz);
      at = desc + aligned(note.n_descsz);
    }
  }
  return {};
}

// FNV-1a over the whole file.
std::string ContentHash(std::ifstream& file) {
  file.clear();
  file.seekg(0);
  std::uint64_t hash = 14695981039346656037ull;
  std::vector<char> block(1 << 16);
  while (file.read(block.data(), static_cast<std::streamsize>(block.size())) || file.gcount() > 0) {
    for (std::streamsize i = 0; i < file.gcount(); ++i) {
      hash ^= static_cast<unsigned char>(block[static_cast<std::size_t>(i)]);
      hash *= 1099511628211ull;
    }
  }
  unsigned char bytes[8];
  for (int i = 0; i < 8; ++i) bytes[i] = static_cast<unsigned char>(hash >> (56 - 8 * i));
  return "fnv-" + Hex(bytes, sizeof bytes);
}

}  // namespace

std::string ExecutableBuildId(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return {};
  const std::string id = GnuBuildId(file);
  return id.empty() ? ContentHash(file) : id;
}

}  // namespace Importing::Import
