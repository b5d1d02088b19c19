#include "scene/snapshot/snapshot_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include <algorithm>
#include <cstring>
#include <exception>
#include <new>

#include "host/huge_pages.h"
#include "scene/snapshot/snapshot_format.h"

namespace Importing {

using namespace snapshot;

namespace {

std::uint64_t Load64(const std::uint8_t* p) {
  std::uint64_t v = 0;
  for (int i = 7; i >= 0; --i) v = v << 8 | p[i];
  return v;
}

std::uint32_t Load32(const std::uint8_t* p) {
  std::uint32_t v;
  CopyWords32(&v, p, 1);
  return v;
}

std::uint64_t Aligned(std::uint64_t at) { return (at + kAlignment - 1) / kAlignment * kAlignment; }

std::string SectionName(std::size_t section) { return std::string("section '") + kSections[section].name + "'"; }

// The sections that hold each part, by bit of ScenePart.
constexpr Section kSectionOfPart[] = {kNodes,     kParents,         kGlobals,        kSurfaces,
                                      kMaterials, kTexturePaths,    kAnimations,     kCameras,
                                      kLights,    kGeometryHeaders, kSceneBox,       kSource};
static_assert(sizeof kSectionOfPart / sizeof kSectionOfPart[0] == 12 && kEveryPart == (1u << 12) - 1);

// Reads `length` bytes at `offset` of `fd` into `to`; the empty text or why not.
std::string ReadFully(int fd, std::uint64_t offset, std::uint64_t length, std::uint8_t* to) {
  std::uint64_t done = 0;
  while (done < length) {
#ifdef _WIN32
    if (_lseeki64(fd, static_cast<__int64>(offset + done), SEEK_SET) < 0) return "cannot be read";
    const int got = _read(fd, to + done, static_cast<unsigned>(std::min<std::uint64_t>(length - done, 1u << 30)));
#else
    const ssize_t got = ::pread(fd, to + done, static_cast<std::size_t>(length - done), static_cast<off_t>(offset + done));
#endif
    if (got < 0) return "cannot be read";
    if (got == 0)
      return "ended at byte " + std::to_string(offset + done) + " while " + std::to_string(length) +
             " bytes from byte " + std::to_string(offset) + " were read (was it changed meanwhile?)";
    done += static_cast<std::uint64_t>(got);
  }
  return {};
}

// Bytes read from a file, reused from one read to the next; not cleared first.
class ReadBuffer {
 public:
  std::uint8_t* Hold(std::size_t size) {
    if (size > capacity_) {
      bytes_.reset(new std::uint8_t[size]);
      capacity_ = size;
      AdviseHugePages(bytes_.get(), size);
    }
    return bytes_.get();
  }

 private:
  std::unique_ptr<std::uint8_t[]> bytes_;
  std::size_t capacity_ = 0;
};

bool Report(const std::string& why, std::string* error) {
  if (why.empty()) return true;
  if (error) *error = why;
  return false;
}

}  // namespace

struct SnapshotReader::State {
  struct Place {
    std::uint64_t offset = 0, length = 0, checksum = 0;
    bool present = false;
  };

  int fd = -1;
  const std::uint8_t* bytes = nullptr;
  std::uint64_t size = 0;
  Place places[kSectionCount];
  SnapshotProvenance provenance;
  Counts counts;
  std::vector<GeometryHeader> headers;
  ScenePartSet loaded = 0;
  std::vector<bool> geometryLoaded;
  std::size_t geometriesLeft = 0;
  // The padding between payloads and between geometries: zeros, checked once everything is read.
  struct Gap {
    std::uint64_t offset, length;
  };
  std::vector<Gap> gaps;
  std::uint64_t bytesRead = 0;

  ~State() {
    if (fd >= 0) ::close(fd);
  }

  std::string ReadAt(std::uint64_t offset, std::uint64_t length, ReadBuffer& buffer,
                     const std::uint8_t*& out) {
    if (offset > size || length > size - offset)
      return std::to_string(length) + " bytes from byte " + std::to_string(offset) + " pass its end at byte " +
             std::to_string(size);
    bytesRead += length;
    if (bytes != nullptr) {
      out = bytes + offset;
      return {};
    }
    out = buffer.Hold(static_cast<std::size_t>(length));
    return ReadFully(fd, offset, length, buffer.Hold(static_cast<std::size_t>(length)));
  }

  // Reads section `section`'s payload and checks it against its checksum.
  std::string ReadPayload(std::size_t section, ReadBuffer& buffer, const std::uint8_t*& out) {
    const Place& place = places[section];
    std::string why = ReadAt(place.offset, place.length, buffer, out);
    if (why.empty() && Checksum(out, place.length) != place.checksum)
      why = "is damaged (its checksum does not match)";
    return why.empty() ? why : SectionName(section) + " " + why;
  }

  std::string OpenHeader() {
    ReadBuffer buffer;
    const std::uint8_t* head = nullptr;
    if (size < kFileHeaderSize) return "too short to be a snapshot (" + std::to_string(size) + " bytes)";
    std::string why = ReadAt(0, kFileHeaderSize, buffer, head);
    if (!why.empty()) return why;
    if (std::memcmp(head, kMagic, sizeof kMagic) != 0) return "not a snapshot (no snapshot signature at its start)";
    const std::uint32_t version = Load32(head + 8);
    if (version != kFormatVersion)
      return "snapshot format version " + std::to_string(version) + ", this build reads version " +
             std::to_string(kFormatVersion);
    const std::uint32_t count = Load32(head + 12);
    const std::uint64_t indexChecksum = Load64(head + 16);
    if (count > kMaxSectionCount || count * kIndexEntrySize > size - kFileHeaderSize)
      return "an index of " + std::to_string(count) + " sections does not fit in " + std::to_string(size) + " bytes";

    ReadBuffer indexBuffer;
    const std::uint8_t* index = nullptr;
    why = ReadAt(kFileHeaderSize, count * kIndexEntrySize, indexBuffer, index);
    if (!why.empty()) return why;
    if (Checksum(index, count * kIndexEntrySize) != indexChecksum)
      return "its section index is damaged (its checksum does not match)";
    // One layout per content: each payload from the first boundary after the
    // one before, the known sections in their order, the file ending with the last.
    std::uint64_t end = kFileHeaderSize + count * kIndexEntrySize;
    std::size_t nextKnown = 0;
    for (std::uint32_t i = 0; i < count; ++i) {
      const std::uint8_t* entry = index + i * kIndexEntrySize;
      const std::uint32_t tag = Load32(entry);
      const Place place{Load64(entry + 8), Load64(entry + 16), Load64(entry + 24), true};
      const std::string where = "index entry " + std::to_string(i);
      if (Load32(entry + 4) != 0) return where + " has flags this build does not know";
      if (place.offset != Aligned(end) || place.length > size - std::min(size, place.offset))
        return where + " places " + std::to_string(place.length) + " bytes at byte " + std::to_string(place.offset) +
               " of a file of " + std::to_string(size);
      gaps.push_back({end, place.offset - end});
      end = place.offset + place.length;
      for (std::size_t s = 0; s < kSectionCount; ++s) {
        if (kSections[s].tag != tag) continue;
        if (places[s].present) return SectionName(s) + " is listed twice";
        if (s < nextKnown) return SectionName(s) + " is out of its place";
        places[s] = place;
        nextKnown = s + 1;
      }
    }
    for (std::size_t s = 0; s < kSectionCount; ++s)
      if (!places[s].present) return SectionName(s) + " is missing";
    if (places[kGeometryData].checksum != 0)
      return SectionName(kGeometryData) + " has a checksum of its own (its geometries carry theirs)";
    if (end != size) return std::to_string(size - end) + " unexpected bytes after the last section";

    const std::uint8_t* payload = nullptr;
    why = ReadPayload(kProvenance, buffer, payload);
    if (!why.empty()) return why;
    ByteReader provenanceIn(payload, places[kProvenance].length, kSections[kProvenance].name);
    ReadProvenance(provenanceIn, provenance);
    provenanceIn.ExpectEnd();
    if (!provenanceIn.Ok()) return provenanceIn.Error();

    why = ReadPayload(kCounts, buffer, payload);
    if (!why.empty()) return why;
    ByteReader countsIn(payload, places[kCounts].length, kSections[kCounts].name);
    counts = ReadCounts(countsIn);
    countsIn.ExpectEnd();
    return countsIn.Error();
  }

  // What is wrong with the padding, or the empty text: any byte but zero
  // there would be a second encoding of the same scene.
  std::string PaddingDefect(ReadBuffer& buffer) {
    for (const Gap& gap : gaps) {
      const std::uint8_t* bytes = nullptr;
      std::string why = ReadAt(gap.offset, gap.length, buffer, bytes);
      if (!why.empty()) return why;
      for (std::uint64_t i = 0; i < gap.length; ++i)
        if (bytes[i] != 0) return "byte " + std::to_string(gap.offset + i) + " of the padding is not zero";
    }
    return {};
  }

  std::string LoadHeaders() {
    ReadBuffer buffer;
    const std::uint8_t* payload = nullptr;
    std::string why = ReadPayload(kGeometryHeaders, buffer, payload);
    if (!why.empty()) return why;
    ByteReader in(payload, places[kGeometryHeaders].length, kSections[kGeometryHeaders].name);
    std::vector<GeometryHeader> read = ReadGeometryHeaders(in, counts, places[kGeometryData].length);
    in.ExpectEnd();
    if (!in.Ok()) return in.Error();
    headers = std::move(read);
    geometryLoaded.assign(headers.size(), false);
    geometriesLeft = headers.size();
    std::uint64_t end = 0;
    for (const GeometryHeader& header : headers) {
      gaps.push_back({places[kGeometryData].offset + end, header.offset - end});
      end = header.offset + header.length;
    }
    return {};
  }

  // Reads what `parts` and `geometry` need and the container lacks, all
  // aside; only when every piece passed its checks are they moved in.
  std::string Load(ScenePartSet parts, std::int64_t geometry, SceneContainer& container) {
    if (fd < 0 && bytes == nullptr) return {};  // nothing opened: the container stays empty
    if (geometry != kNoGeometry) parts |= kGeometryHeadersPart;
    parts &= kEveryPart;
    SceneData data;
    SceneDerivedData derived;
    ReadBuffer buffer;
    ScenePartSet added = 0;
    for (std::size_t bit = 0; bit < 12; ++bit) {
      const ScenePartSet part = 1u << bit;
      if ((parts & part) == 0 || (loaded & part) != 0) continue;
      const Section section = kSectionOfPart[bit];
      if (section == kGeometryHeaders) {
        std::string why = LoadHeaders();
        if (!why.empty()) return why;
      } else {
        const std::uint8_t* payload = nullptr;
        std::string why = ReadPayload(section, buffer, payload);
        if (!why.empty()) return why;
        ByteReader in(payload, places[section].length, kSections[section].name);
        snapshot::ReadSection(section, in, counts, data, derived);
        in.ExpectEnd();
        if (!in.Ok()) return in.Error();
      }
      added |= part;
    }

    std::vector<std::size_t> wanted;
    if (geometry == kEveryGeometry) {
      for (std::size_t id = 0; id < headers.size(); ++id)
        if (!geometryLoaded[id]) wanted.push_back(id);
    } else if (geometry >= 0 && static_cast<std::uint64_t>(geometry) < headers.size() &&
               !geometryLoaded[static_cast<std::size_t>(geometry)]) {
      wanted.push_back(static_cast<std::size_t>(geometry));
    }
    std::vector<Geometry> read(wanted.size());
    for (std::size_t k = 0; k < wanted.size(); ++k) {
      const GeometryHeader& header = headers[wanted[k]];
      const std::uint8_t* payload = nullptr;
      std::string why = ReadAt(places[kGeometryData].offset + header.offset, header.length, buffer, payload);
      if (why.empty() && Checksum(payload, header.length) != header.checksum)
        why = "is damaged (its checksum does not match)";
      if (!why.empty()) return "geometry " + std::to_string(wanted[k]) + " " + why;
      ByteReader in(payload, header.length, "geometry " + std::to_string(wanted[k]));
      ReadGeometryData(in, header, read[k]);
      in.ExpectEnd();
      if (!in.Ok()) return in.Error();
    }
    if (added == 0 && wanted.empty()) return {};
    if ((loaded | added) == kEveryPart && geometriesLeft == wanted.size()) {
      std::string why = PaddingDefect(buffer);
      if (!why.empty()) return why;
    }

    SceneData held;
    SceneDerivedData heldDerived;
    container.Release(held, heldDerived);
    const auto take = [&](ScenePart part, auto& into, auto& from) {
      if (added & part) into = std::move(from);
    };
    take(kNodesPart, held.nodes, data.nodes);
    if (added & kNodesPart) held.rootNodeID = data.rootNodeID;
    take(kNodeParentsPart, heldDerived.parents, derived.parents);
    take(kNodeGlobalsPart, heldDerived.globals, derived.globals);
    take(kSurfacesPart, held.surfaces, data.surfaces);
    take(kMaterialsPart, held.materials, data.materials);
    take(kTexturePathsPart, held.texturePaths, data.texturePaths);
    take(kAnimationsPart, held.animations, data.animations);
    take(kCamerasPart, held.cameras, data.cameras);
    take(kLightsPart, held.lights, data.lights);
    take(kSourcePart, held.source, data.source);
    if (added & kSceneBoxPart) {
      heldDerived.boxMin = derived.boxMin;
      heldDerived.boxMax = derived.boxMax;
    }
    if (added & kGeometryHeadersPart) {
      held.geometries.assign(headers.size(), Geometry());
      for (std::size_t id = 0; id < headers.size(); ++id) ApplyGeometryHeader(headers[id], held.geometries[id]);
    }
    for (std::size_t k = 0; k < wanted.size(); ++k) {
      Geometry& into = held.geometries[wanted[k]];
      into.Vertices = std::move(read[k].Vertices);
      into.Indices = std::move(read[k].Indices);
      geometryLoaded[wanted[k]] = true;
    }
    geometriesLeft -= wanted.size();
    container.FillStored(std::move(held), std::move(heldDerived));
    loaded |= added;
    return {};
  }
};

SnapshotReader::SnapshotReader() : state_(std::make_unique<State>()) {}
SnapshotReader::~SnapshotReader() = default;

bool SnapshotReader::OpenFile(const std::string& path, std::string* error) {
  state_ = std::make_unique<State>();
  return Report(Guarded([&]() -> std::string {
                  const int fd = ::open(path.c_str(), O_RDONLY
#ifdef O_CLOEXEC
                                                          | O_CLOEXEC
#endif
#ifdef _WIN32
                                                          | O_BINARY
#endif
                  );
                  if (fd < 0) return "cannot be opened";
                  state_->fd = fd;
                  struct stat info;
                  if (::fstat(fd, &info) != 0) return "cannot be read";
                  if (!S_ISREG(info.st_mode)) return "not a regular file";
                  state_->size = static_cast<std::uint64_t>(info.st_size);
                  return state_->OpenHeader();
                }),
                error);
}

bool SnapshotReader::OpenBytes(const std::uint8_t* data, std::size_t size, std::string* error) {
  state_ = std::make_unique<State>();
  state_->bytes = data;
  state_->size = size;
  return Report(Guarded([&] { return state_->OpenHeader(); }), error);
}

const SnapshotProvenance& SnapshotReader::Provenance() const { return state_->provenance; }

std::uint64_t SnapshotReader::BytesRead() const { return state_->bytesRead; }

bool SnapshotReader::Load(ScenePartSet parts, std::int64_t geometry, SceneContainer& container, std::string* error) {
  return Report(Guarded([&] { return state_->Load(parts, geometry, container); }), error);
}

}  // namespace Importing
