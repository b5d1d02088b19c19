#include "scene/snapshot.h"

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cstring>
#include <exception>
#include <filesystem>
#include <fstream>
#include <memory>
#include <new>
#include <random>

#include "scene/snapshot_format.h"

namespace Importing {

namespace {

using namespace snapshot;

struct Span {
  const std::uint8_t* data = nullptr;
  std::size_t size = 0;
};

void SetError(std::string* error, std::string message) {
  if (error) *error = std::move(message);
}

std::uint32_t Load32(const std::uint8_t* p) {
  std::uint32_t v;
  CopyWords32(&v, p, 1);
  return v;
}

std::uint64_t Load64(const std::uint8_t* p) { return Load32(p) | static_cast<std::uint64_t>(Load32(p + 4)) << 32; }

void Store64(std::uint8_t* p, std::uint64_t v) {
  for (int i = 0; i < 8; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// Checks the file header and the first `wanted` sections (tag, flags, length
// against the bytes there are, checksum); with every section wanted, also
// that nothing follows the last. Returns the empty text or what is wrong.
std::string LocateSections(const std::uint8_t* data, std::size_t size, std::size_t wanted, Span* sections) {
  if (size < kFileHeaderSize || std::memcmp(data, kMagic, sizeof kMagic) != 0)
    return size < kFileHeaderSize ? "too short to be a snapshot (" + std::to_string(size) + " bytes)"
                                  : "not a snapshot (no snapshot signature at its start)";
  const std::uint32_t version = Load32(data + 8);
  if (version != kFormatVersion)
    return "snapshot format version " + std::to_string(version) + ", this build reads version " +
           std::to_string(kFormatVersion);
  const std::uint32_t count = Load32(data + 12);
  if (count != kSectionCount)
    return std::to_string(count) + " sections, version " + std::to_string(kFormatVersion) + " has " +
           std::to_string(kSectionCount);

  std::size_t at = kFileHeaderSize;
  for (std::size_t i = 0; i < wanted; ++i) {
    const std::string section = std::string("section '") + kSections[i].name + "'";
    if (size - at < kSectionHeaderSize) return section + " is cut off (the file ends at byte " + std::to_string(size) + ")";
    const std::uint8_t* header = data + at;
    if (Load32(header) != kSections[i].tag || Load32(header + 4) != 0)
      return section + " has a damaged header at byte " + std::to_string(at);
    const std::uint64_t length = Load64(header + 8);
    at += kSectionHeaderSize;
    if (length > size - at)
      return section + " claims " + std::to_string(length) + " bytes, " + std::to_string(size - at) + " are left";
    sections[i] = {data + at, static_cast<std::size_t>(length)};
    if (Checksum(sections[i].data, sections[i].size) != Load64(header + 16))
      return section + " is damaged (its checksum does not match)";
    at += sections[i].size;
  }
  if (wanted == kSectionCount && at != size)
    return std::to_string(size - at) + " unexpected bytes after the last section";
  return {};
}

std::string DecodeProvenance(const Span& span, SnapshotProvenance& provenance) {
  ByteReader in(span.data, span.size, kSections[kProvenance].name);
  ReadProvenance(in, provenance);
  in.ExpectEnd();
  return in.Error();
}

std::string Decode(const std::uint8_t* data, std::size_t size, SceneContainer& container,
                   SnapshotProvenance* provenance) {
  Span sections[kSectionCount];
  std::string why = LocateSections(data, size, kSectionCount, sections);
  SnapshotProvenance readProvenance;
  if (why.empty()) why = DecodeProvenance(sections[kProvenance], readProvenance);
  SceneData scene;
  for (std::size_t i = kSource; i < kSectionCount && why.empty(); ++i) {
    ByteReader in(sections[i].data, sections[i].size, kSections[i].name);
    ReadSection(static_cast<Section>(i), in, scene);
    in.ExpectEnd();
    why = in.Error();
  }
  if (why.empty()) why = FirstBrokenReference(scene);
  if (!why.empty()) return why;

  // Filled aside and swapped in, so that a failure leaves `container` as it was.
  SceneContainer loaded;
  loaded.Fill(std::move(scene));
  container.Swap(loaded);
  if (provenance) *provenance = std::move(readProvenance);
  return {};
}

std::string Encode(const SceneContainer& container, const SnapshotProvenance& provenance,
                   std::vector<std::uint8_t>& bytes) {
  std::string broken = FirstBrokenReference(container);
  if (!broken.empty()) return "the scene has a broken reference: " + broken;
  std::size_t payload = 1 << 16;
  for (const Geometry& geometry : container.Geometries())
    payload += geometry.Vertices.size() * (24 + 8 * Vertex::kMaxUVSets) + geometry.Indices.size() * 4;
  bytes.clear();
  bytes.reserve(payload);

  ByteWriter out(bytes);
  bytes.insert(bytes.end(), kMagic, kMagic + sizeof kMagic);
  out.U32(kFormatVersion);
  out.U32(kSectionCount);
  for (std::size_t i = 0; i < kSectionCount; ++i) {
    const std::size_t header = out.Size();
    out.U32(kSections[i].tag);
    out.U32(0);
    out.U64(0);
    out.U64(0);
    if (i == kProvenance) WriteProvenance(provenance, out);
    else WriteSection(static_cast<Section>(i), container, out);
    const std::size_t start = header + kSectionHeaderSize;
    Store64(out.At(header + 8), out.Size() - start);
    Store64(out.At(header + 16), Checksum(out.At(start), out.Size() - start));
  }
  return {};
}

// Runs `work`, turning an exception (exhausted memory above all) into a message.
template <class Work>
std::string Guarded(Work work) {
  try {
    return work();
  } catch (const std::bad_alloc&) {
    return "out of memory";
  } catch (const std::exception& e) {
    return e.what();
  }
}

// Reads up to `limit` bytes from the start of the regular file `path`.
std::string ReadFile(const std::string& path, std::size_t limit, std::unique_ptr<std::uint8_t[]>& data,
                     std::size_t& size) {
  std::error_code ec;
  const auto status = std::filesystem::status(path, ec);
  if (!std::filesystem::exists(status)) return "no such file";
  if (!std::filesystem::is_regular_file(status)) return "not a regular file";
  const std::uintmax_t fileSize = std::filesystem::file_size(path, ec);
  if (ec) return ec.message();
  std::ifstream file(path, std::ios::binary);
  if (!file) return "cannot be opened";
  size = static_cast<std::size_t>(std::min<std::uintmax_t>(fileSize, limit));
  data.reset(new std::uint8_t[size > 0 ? size : 1]);
  if (!file.read(reinterpret_cast<char*>(data.get()), static_cast<std::streamsize>(size)))
    return "cannot be read (it ended before " + std::to_string(size) + " bytes)";
  return {};
}

std::string UniqueSuffix() {
  std::random_device device;
  const std::uint64_t bits = (static_cast<std::uint64_t>(device()) << 32) ^ device();
  static const char kHex[] = "0123456789abcdef";
  std::string suffix = ".tmp-";
  for (int i = 0; i < 16; ++i) suffix += kHex[(bits >> (4 * i)) & 15];
  return suffix;
}

std::string WriteFileByRename(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  const std::string temporary = path + UniqueSuffix();
  {
    // Created 0600 before the stream opens it: snapshots hold the scene's
    // names, paths and images, which are for their owner only.
#ifndef _WIN32
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) return "cannot create '" + temporary + "'";
    ::close(fd);
#endif
    std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
    if (!file) return "cannot create '" + temporary + "'";
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    file.close();
    if (!file) {
      std::error_code ignored;
      std::filesystem::remove(temporary, ignored);
      return "cannot write '" + temporary + "' (disk full?)";
    }
  }
  std::error_code ec;
  std::filesystem::rename(temporary, path, ec);
  if (ec) {
    std::error_code ignored;
    std::filesystem::remove(temporary, ignored);
    return "cannot rename '" + temporary + "' into place: " + ec.message();
  }
  return {};
}

bool Report(std::string why, const std::string& what, std::string* error) {
  if (why.empty()) return true;
  SetError(error, what + ": " + why);
  return false;
}

std::string InFile(const char* verb, const std::string& path) {
  return std::string("Cannot ") + verb + " snapshot '" + path + "'";
}

}  // namespace

bool SaveSnapshotToBytes(const SceneContainer& container, const SnapshotProvenance& provenance,
                         std::vector<std::uint8_t>& out, std::string* error) {
  return Report(Guarded([&] { return Encode(container, provenance, out); }), "Cannot write snapshot", error);
}

bool LoadSnapshotFromBytes(const std::uint8_t* data, std::size_t size, SceneContainer& container,
                           SnapshotProvenance* provenance, std::string* error) {
  return Report(Guarded([&] { return Decode(data, size, container, provenance); }), "Cannot load snapshot", error);
}

bool SaveSnapshot(const SceneContainer& container, const SnapshotProvenance& provenance, const std::string& path,
                  std::string* error) {
  return Report(Guarded([&] {
                  std::vector<std::uint8_t> bytes;
                  std::string why = Encode(container, provenance, bytes);
                  return why.empty() ? WriteFileByRename(path, bytes) : why;
                }),
                InFile("write", path), error);
}

// Walks the section headers of the file `path` without reading the
// sections: a length past the file's end, or bytes after the last section
// (a padded file), is refused before any section is read.
std::string CheckLayout(const std::string& path) {
  std::error_code ec;
  const std::uintmax_t fileSize = std::filesystem::file_size(path, ec);
  std::ifstream file(path, std::ios::binary);
  std::uint8_t head[kFileHeaderSize];
  // What is no snapshot at all is for the full check to name.
  if (ec || !file || !file.read(reinterpret_cast<char*>(head), kFileHeaderSize) ||
      std::memcmp(head, kMagic, sizeof kMagic) != 0)
    return {};
  std::uintmax_t at = kFileHeaderSize;
  for (std::size_t i = 0; i < kSectionCount; ++i) {
    std::uint8_t header[kSectionHeaderSize];
    if (fileSize - std::min(at, fileSize) < kSectionHeaderSize) return {};  // cut off: the full check says where
    if (!file.seekg(static_cast<std::streamoff>(at + 8)) || !file.read(reinterpret_cast<char*>(header), 8))
      return "cannot be read";
    const std::uint64_t length = Load64(header);
    at += kSectionHeaderSize;
    if (length > fileSize - at)
      return std::string("section '") + kSections[i].name + "' claims " + std::to_string(length) + " bytes, " +
             std::to_string(fileSize - at) + " are left";
    at += length;
  }
  if (at != fileSize) return std::to_string(fileSize - at) + " unexpected bytes after the last section";
  return {};
}

bool LoadSnapshot(const std::string& path, SceneContainer& container, SnapshotProvenance* provenance,
                  std::string* error) {
  return Report(Guarded([&] {
                  std::unique_ptr<std::uint8_t[]> data;
                  std::size_t size = 0;
                  std::string why = CheckLayout(path);
                  if (why.empty()) why = ReadFile(path, SIZE_MAX, data, size);
                  return why.empty() ? Decode(data.get(), size, container, provenance) : why;
                }),
                InFile("load", path), error);
}

bool ReadSnapshotProvenance(const std::string& path, SnapshotProvenance& provenance, std::string* error) {
  return Report(Guarded([&] {
                  // The header and the provenance section's header first, then just that section.
                  std::unique_ptr<std::uint8_t[]> data;
                  std::size_t size = 0;
                  constexpr std::size_t kHeads = kFileHeaderSize + kSectionHeaderSize;
                  std::string why = ReadFile(path, kHeads, data, size);
                  if (why.empty() && size == kHeads) {
                    const std::uint64_t length = Load64(data.get() + kHeads - 16);
                    std::error_code ec;
                    const std::uintmax_t fileSize = std::filesystem::file_size(path, ec);
                    if (ec || length > fileSize - kHeads)
                      why = std::string("section '") + kSections[kProvenance].name + "' claims " +
                            std::to_string(length) + " bytes, " + std::to_string(fileSize - kHeads) + " are left";
                    else
                      why = ReadFile(path, kHeads + static_cast<std::size_t>(length), data, size);
                  }
                  Span section;
                  if (why.empty()) why = LocateSections(data.get(), size, 1, &section);
                  SnapshotProvenance read;
                  if (why.empty()) why = DecodeProvenance(section, read);
                  if (why.empty()) provenance = std::move(read);
                  return why;
                }),
                InFile("read", path), error);
}

}  // namespace Importing
