#pragma once

#include <cstddef>
#include <cstdint>
#include <exception>
#include <new>
#include <string>

#include "scene/scene_container.h"
#include "scene/snapshot/snapshot.h"
#include "scene/snapshot/snapshot_bytes.h"

// The snapshot image, version 4, little-endian throughout:
//   file header, 24 bytes: magic "SCISNAP\0", format version, section count,
//     and the XXH3 checksum of the index that follows;
//   the index, 32 bytes a section: tag, flags (0), offset, length and the
//     XXH3 checksum of its payload;
//   the payloads in the index's order, each from the first 64-byte boundary
//   after the one before, zeros between them; the file ends with the last.
// PROV (provenance) comes first, so a freshness check reads nothing else.
// CONT holds the size of every collection, so that each section's references
// are checked alone. GHDR holds every geometry's primitive size, box and
// counts, and where its vertex and index streams lie in GDAT (each from the
// first 64-byte boundary after the one before, with its own checksum; GDAT's
// index entry carries checksum 0, as GDAT is never read whole). NPAR, NGLB and SBOX hold what is
// derived from every node or vertex (parents, global matrices, scene box).
// A reader reads the header and the index, then only the sections, and the
// geometries inside GDAT, that the next question reads. A section of a tag
// this build does not know is skipped; one it knows must be there once.
namespace Importing::snapshot {

inline constexpr char kMagic[8] = {'S', 'C', 'I', 'S', 'N', 'A', 'P', '\0'};
inline constexpr std::uint32_t kFormatVersion = 4;
inline constexpr std::size_t kFileHeaderSize = 24;
inline constexpr std::size_t kIndexEntrySize = 32;
inline constexpr std::size_t kAlignment = 64;
// More sections than any version writes: an index claiming more is damaged.
inline constexpr std::uint32_t kMaxSectionCount = 256;

// The math types and colours are copied whole as runs of 32-bit floats.
static_assert(sizeof(D3DXVECTOR2) == 8 && sizeof(D3DXVECTOR3) == 12 && sizeof(D3DXQUATERNION) == 16 &&
              sizeof(D3DXMATRIX) == 64 && sizeof(Color) == 16);

struct SectionKind {
  std::uint32_t tag;  // four ASCII letters, first letter in the low byte
  const char* name;   // for messages
};

constexpr std::uint32_t Tag(const char (&letters)[5]) {
  return static_cast<std::uint32_t>(static_cast<unsigned char>(letters[0])) |
         static_cast<std::uint32_t>(static_cast<unsigned char>(letters[1])) << 8 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(letters[2])) << 16 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(letters[3])) << 24;
}

enum Section : std::size_t { kProvenance, kCounts, kSource, kAnimations, kCameras, kLights, kTexturePaths,
                             kMaterials, kNodes, kSurfaces, kGeometryData, kGeometryHeaders, kParents, kGlobals,
                             kSceneBox, kSectionCount };
inline constexpr SectionKind kSections[kSectionCount] = {
    {Tag("PROV"), "provenance"},  {Tag("CONT"), "counts"},          {Tag("SRCE"), "source"},
    {Tag("ANIM"), "animations"},  {Tag("CAMR"), "cameras"},         {Tag("LGHT"), "lights"},
    {Tag("TEXP"), "texture paths"}, {Tag("MATL"), "materials"},     {Tag("NODE"), "nodes"},
    {Tag("SURF"), "surfaces"},    {Tag("GDAT"), "geometry data"},   {Tag("GHDR"), "geometry headers"},
    {Tag("NPAR"), "parents"},     {Tag("NGLB"), "global matrices"}, {Tag("SBOX"), "scene box"}};

// The size of every collection, as CONT holds them.
struct Counts {
  std::uint32_t animations = 0, cameras = 0, lights = 0, texturePaths = 0, materials = 0, nodes = 0, surfaces = 0,
                geometries = 0;
};

// One geometry's header in GHDR: what its record holds besides vertices and
// indices, their counts and layout, and where its streams lie in GDAT.
struct GeometryHeader {
  std::int64_t primitiveSize = 3;
  D3DXVECTOR3 min, max;
  std::uint32_t vertexCount = 0, indexCount = 0;
  std::uint8_t uvSets = 0, uvCountsVary = 0;
  std::uint64_t offset = 0, length = 0, checksum = 0;  // inside GDAT
};

// Section payloads. Each writer appends one section's payload; each reader
// decodes one, leaving a failure in `in` when the bytes do not hold it, or
// when a reference in them falls outside `counts`.
Counts CountsOf(const SceneContainer& container);
void WriteProvenance(const SnapshotProvenance& provenance, ByteWriter& out);
void WriteCounts(const Counts& counts, ByteWriter& out);
// Writes every section but the provenance, the counts and the geometry headers and data.
void WriteSection(Section section, const SceneContainer& container, ByteWriter& out);
// Appends one geometry's streams (from a 64-byte boundary of `out`) and returns its header.
GeometryHeader WriteGeometryData(const Geometry& geometry, ByteWriter& out);
void WriteGeometryHeaders(const std::vector<GeometryHeader>& headers, ByteWriter& out);

void ReadProvenance(ByteReader& in, SnapshotProvenance& provenance);
Counts ReadCounts(ByteReader& in);
// Reads a collection or derived-data section into `data` / `derived`.
void ReadSection(Section section, ByteReader& in, const Counts& counts, SceneData& data, SceneDerivedData& derived);
// Reads GHDR, checking that the geometries' streams follow each other through `dataLength` bytes.
std::vector<GeometryHeader> ReadGeometryHeaders(ByteReader& in, const Counts& counts, std::uint64_t dataLength);
// Reads one geometry's streams (its header's `length` bytes) into `geometry`.
void ReadGeometryData(ByteReader& in, const GeometryHeader& header, Geometry& geometry);
void ApplyGeometryHeader(const GeometryHeader& header, Geometry& geometry);

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

// Rewrites every checksum of a snapshot image (each geometry's, each
// section's, the index's) that lies within it, for tests and fuzzers that
// change its bytes and want the decoders behind the checksums to see them.
void Reseal(std::vector<std::uint8_t>& bytes);

// The first record that refers to a record that does not exist (an ID out
// of range, an index past the vertices), or the empty text: in the nodes,
// the surfaces and the parents against the counts, and in a whole container.
std::string NodesDefect(const std::vector<Node>& nodes, int root, const Counts& counts);
std::string SurfacesDefect(const std::vector<Surface>& surfaces, const Counts& counts);
std::string ParentsDefect(const std::vector<int>& parents);
std::string FirstBrokenReference(const SceneContainer& container);

}  // namespace Importing::snapshot
