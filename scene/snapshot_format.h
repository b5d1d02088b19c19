#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "scene/scene_container.h"
#include "scene/snapshot.h"
#include "scene/snapshot_bytes.h"

// The snapshot image: a 16-byte file header (magic, format version, section
// count), then the sections in a fixed order, each a 24-byte header (tag,
// zero flags, payload length, payload checksum) and its payload.
namespace Importing::snapshot {

inline constexpr char kMagic[8] = {'S', 'C', 'I', 'S', 'N', 'A', 'P', '\0'};
inline constexpr std::uint32_t kFormatVersion = 1;
inline constexpr std::size_t kFileHeaderSize = 16;
inline constexpr std::size_t kSectionHeaderSize = 24;

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

// The provenance comes first, so that a freshness check reads nothing else.
enum Section : std::size_t { kProvenance, kSource, kAnimations, kCameras, kLights, kGeometries, kTexturePaths,
                             kMaterials, kNodes, kSurfaces, kSectionCount };
inline constexpr SectionKind kSections[kSectionCount] = {
    {Tag("PROV"), "provenance"}, {Tag("SRCE"), "source"},     {Tag("ANIM"), "animations"},
    {Tag("CAMR"), "cameras"},    {Tag("LGHT"), "lights"},     {Tag("GEOM"), "geometries"},
    {Tag("TEXP"), "texture paths"}, {Tag("MATL"), "materials"}, {Tag("NODE"), "nodes"},
    {Tag("SURF"), "surfaces"}};

// Section payloads. Each writer appends one section's payload; each reader
// decodes one, leaving a failure in `in` when the bytes do not hold it.
void WriteProvenance(const SnapshotProvenance& provenance, ByteWriter& out);
void WriteSection(Section section, const SceneContainer& container, ByteWriter& out);
void ReadProvenance(ByteReader& in, SnapshotProvenance& provenance);
void ReadSection(Section section, ByteReader& in, SceneData& data);

// The first record that refers to a record that does not exist (an ID out
// of range, an index past the vertices), or the empty text.
std::string FirstBrokenReference(const SceneData& data);
std::string FirstBrokenReference(const SceneContainer& container);

}  // namespace Importing::snapshot
