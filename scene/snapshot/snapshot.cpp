#include "scene/snapshot/snapshot.h"

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

#include "scene/snapshot/snapshot_format.h"
#include "scene/snapshot/snapshot_reader.h"

namespace Importing {

namespace {

using namespace snapshot;

void SetError(std::string* error, std::string message) {
  if (error) *error = std::move(message);
}

void Store64(std::uint8_t* p, std::uint64_t v) {
  for (int i = 0; i < 8; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

void Store32(std::uint8_t* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

std::string Encode(const SceneContainer& container, const SnapshotProvenance& provenance,
                   std::vector<std::uint8_t>& bytes) {
  std::string broken = FirstBrokenReference(container);
  if (!broken.empty()) return "the scene has a broken reference: " + broken;
  std::size_t payload = 1 << 16;
  for (const Geometry& geometry : container.Geometries())
    payload += kAlignment + geometry.Vertices.size() * (24 + 8 * Vertex::kMaxUVSets + 1) + geometry.Indices.size() * 4;
  payload += container.Nodes().size() * (64 + 4);
  bytes.clear();
  bytes.reserve(payload);

  ByteWriter out(bytes);
  bytes.insert(bytes.end(), kMagic, kMagic + sizeof kMagic);
  out.U32(kFormatVersion);
  out.U32(kSectionCount);
  out.U64(0);  // the index's checksum, once it is written
  const std::size_t index = out.Size();
  bytes.resize(index + kSectionCount * kIndexEntrySize, 0);

  // The geometry data goes before its headers, which say where each geometry lies.
  std::vector<GeometryHeader> headers;
  std::size_t dataStart = 0;
  for (std::size_t i = 0; i < kSectionCount; ++i) {
    const Section section = static_cast<Section>(i);
    out.PadTo(kAlignment);
    const std::size_t start = out.Size();
    switch (section) {
      case kProvenance: WriteProvenance(provenance, out); break;
      case kCounts: WriteCounts(CountsOf(container), out); break;
      case kGeometryData:
        dataStart = start;
        for (const Geometry& geometry : container.Geometries()) {
          GeometryHeader header = WriteGeometryData(geometry, out);
          header.offset -= dataStart;
          headers.push_back(header);
        }
        break;
      case kGeometryHeaders: WriteGeometryHeaders(headers, out); break;
      default: WriteSection(section, container, out); break;
    }
    const std::size_t length = out.Size() - start;
    std::uint8_t* entry = out.At(index + section * kIndexEntrySize);
    Store32(entry, kSections[section].tag);
    Store32(entry + 4, 0);
    Store64(entry + 8, start);
    Store64(entry + 16, length);
    // Each geometry carries its own checksum: the data section as a whole is never read at once.
    Store64(entry + 24, section == kGeometryData ? 0 : Checksum(out.At(start), length));
  }
  Store64(out.At(16), Checksum(out.At(index), kSectionCount * kIndexEntrySize));
  return {};
}

// Reads everything of an opened snapshot into `container`, or leaves it as it was.
bool LoadWhole(SnapshotReader& reader, SceneContainer& container, SnapshotProvenance* provenance,
               std::string* error) {
  SceneContainer loaded;
  if (!reader.Load(kEveryPart, kEveryGeometry, loaded, error)) return false;
  container.Swap(loaded);
  if (provenance) *provenance = reader.Provenance();
  return true;
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
  std::string why;
  SnapshotReader reader;
  const bool ok = reader.OpenBytes(data, size, &why) && LoadWhole(reader, container, provenance, &why);
  return ok || Report(why, "Cannot load snapshot", error);
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

bool LoadSnapshot(const std::string& path, SceneContainer& container, SnapshotProvenance* provenance,
                  std::string* error) {
  std::string why;
  SnapshotReader reader;
  const bool ok = reader.OpenFile(path, &why) && LoadWhole(reader, container, provenance, &why);
  return ok || Report(why, InFile("load", path), error);
}

bool ReadSnapshotProvenance(const std::string& path, SnapshotProvenance& provenance, std::string* error) {
  std::string why;
  SnapshotReader reader;
  if (!reader.OpenFile(path, &why)) return Report(why, InFile("read", path), error);
  provenance = reader.Provenance();
  return true;
}

}  // namespace Importing
