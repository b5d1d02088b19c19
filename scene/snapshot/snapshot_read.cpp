#include <algorithm>

#include "host/huge_pages.h"
#include "scene/snapshot/snapshot_format.h"

namespace Importing::snapshot {

namespace {

// Smallest encodings of the records, for checking counts before allocating.
constexpr std::size_t kKeyBytes = 44;
constexpr std::size_t kCameraBytes = 4 + 64 + 16;
constexpr std::size_t kLightBytes = 4 + 4 + 64 + 48 + 12 + 12 + 1 + 4;
constexpr std::size_t kGeometryHeaderBytes = 8 + 24 + 4 + 4 + 1 + 1 + 24;
constexpr std::size_t kMaterialBytes = 4 + 48 + 8;
constexpr std::size_t kNodeBytes = 4 + 4 + 64 + 4 + 16;
constexpr std::size_t kSurfaceBytes = 4 + 4 + 4;
constexpr std::size_t kSurfaceTextureBytes = 4 + 4 + 4 + 4 + 64;
constexpr std::size_t kFileIdentityBytes = 4 + 8 * 4;
constexpr std::size_t kAnimationGroupBytes = 4 + 4 + 4;

template <class T>
T Read(ByteReader& in, const char* what) {
  T value;
  in.Words32(&value, sizeof(T) / 4, what);
  return value;
}

void ExpectCount(ByteReader& in, std::size_t read, std::uint32_t counted, const char* what) {
  if (in.Ok() && read != counted)
    in.Fail(std::to_string(read) + " " + what + " where the counts say " + std::to_string(counted));
}

template <class Id>
void ReadIds(ByteReader& in, std::vector<Id>& ids, const char* what) {
  const std::uint32_t count = in.Count(4, what);
  ids.clear();
  if (count == 0) return;  // most of a node's lists: nothing to size or copy
  ids.resize(count);
  in.Words32(ids.data(), count, what);
}

void ReadSource(ByteReader& in, SceneSource& source) {
  source.path = in.String("the source path");
  source.format = in.String("the format name");
  source.embeddedImages = in.Strings("embedded images");
  source.embeddedImageNames = in.Strings("embedded image names");
  source.embeddedImageBytes = in.Strings("embedded image bytes");
  source.warnings = in.Strings("warnings");
  source.animationGroups.resize(in.Count(kAnimationGroupBytes, "animation groups"));
  for (AnimationGroup& group : source.animationGroups) {
    group.name = in.String("an animation group name");
    group.first = in.U32();
    group.count = in.U32();
  }
}

void ReadAnimations(ByteReader& in, std::vector<Animation>& animations) {
  animations.resize(in.Count(4, "animations"));
  for (Animation& keys : animations) {
    const std::uint32_t count = in.Count(kKeyBytes, "keys");
    keys.reserve(count);
    for (std::uint32_t k = 0; k < count; ++k) {
      const std::uint32_t time = in.U32();
      const auto position = Read<D3DXVECTOR3>(in, "a key position");
      const auto rotation = Read<D3DXQUATERNION>(in, "a key rotation");
      keys.emplace_back(time, position, rotation, Read<D3DXVECTOR3>(in, "a key scale"));
    }
  }
}

void ReadCameras(ByteReader& in, std::vector<Camera>& cameras) {
  cameras.resize(in.Count(kCameraBytes, "cameras"));
  for (Camera& camera : cameras) {
    camera.SetName(in.String("a camera name"));
    camera.SetOffsetMatrix(Read<D3DXMATRIX>(in, "a camera matrix"));
    float view[4];
    in.Words32(view, 4, "a camera's view");
    camera.SetFov(view[0], view[1]);
    camera.SetClipping(view[2], view[3]);
  }
}

void ReadLights(ByteReader& in, std::vector<Light>& lights) {
  lights.resize(in.Count(kLightBytes, "lights"));
  for (Light& light : lights) {
    light.SetName(in.String("a light name"));
    light.SetType(static_cast<Light::LightType>(in.I32()));
    light.SetOffsetMatrix(Read<D3DXMATRIX>(in, "a light matrix"));
    const auto diffuse = Read<Color>(in, "a light colour");
    const auto ambient = Read<Color>(in, "a light colour");
    light.SetColors(diffuse, ambient, Read<Color>(in, "a light colour"));
    light.SetAttenuation(Read<D3DXVECTOR3>(in, "a light attenuation"));
    float cone[3];
    in.Words32(cone, 3, "a light cone");
    light.SetRange(cone[0]);
    light.SetCone(cone[1], cone[2]);
    const std::uint8_t cast = in.U8();
    if (cast > 1) in.Fail("light shadow flag " + std::to_string(cast) + " is neither 0 nor 1");
    light.SetShadow(cast == 1, in.F32());
  }
}

void ReadMaterials(ByteReader& in, std::vector<Material>& materials) {
  materials.resize(in.Count(kMaterialBytes, "materials"));
  for (Material& material : materials) {
    material.SetName(in.String("a material name"));
    material.SetDiffuse(Read<Color>(in, "a material colour"));
    material.SetEmissive(Read<Color>(in, "a material colour"));
    material.SetSpecular(Read<Color>(in, "a material colour"));
    material.SetSpecularPower(in.F32());
    material.SetOpacity(in.F32());
  }
}

void ReadNodes(ByteReader& in, SceneData& data) {
  data.rootNodeID = in.I32();
  const std::uint32_t count = in.Count(kNodeBytes, "nodes");
  data.nodes.reserve(count);
  AdviseHugePages(data.nodes.data(), count * sizeof(Node));
  data.nodes.resize(count);
  for (Node& node : data.nodes) {
    node.SetName(in.String("a node name"));
    node.SetNote(in.String("a node note"));
    node.SetLocalMatrix(Read<D3DXMATRIX>(in, "a node matrix"));
    node.SetAnimationID(in.I32());
    ReadIds(in, node.SurfaceIDs, "surface IDs");
    ReadIds(in, node.ChildIDs, "child IDs");
    ReadIds(in, node.CameraIDs, "camera IDs");
    ReadIds(in, node.LightIDs, "light IDs");
  }
}

void ReadSurfaces(ByteReader& in, std::vector<Surface>& surfaces) {
  const std::uint32_t count = in.Count(kSurfaceBytes, "surfaces");
  surfaces.reserve(count);
  for (std::uint32_t s = 0; s < count && in.Ok(); ++s) {
    const std::int32_t geometry = in.I32();
    Surface& surface = surfaces.emplace_back(geometry, in.I32());
    surface.Textures.resize(in.Count(kSurfaceTextureBytes, "surface textures"));
    for (SurfaceTexture& texture : surface.Textures) {
      const std::int32_t textureID = in.I32();
      std::string type = in.String("a texture type");
      const std::int32_t uvSet = in.I32();
      const float amount = in.F32();
      texture = SurfaceTexture(textureID, std::move(type), uvSet, amount, Read<D3DXMATRIX>(in, "a texture matrix"));
    }
  }
}

}  // namespace

void ReadProvenance(ByteReader& in, SnapshotProvenance& provenance) {
  provenance.importerBuildId = in.String("the importer build ID");
  provenance.readerLibraries = in.String("the reader libraries");
  provenance.importSettings = in.String("the import settings");
  provenance.files.resize(in.Count(kFileIdentityBytes, "file identities"));
  for (SnapshotFileIdentity& file : provenance.files) {
    file.path = in.String("a file path");
    file.size = in.U64();
    file.mtimeNs = in.I64();
    file.ctimeNs = in.I64();
    file.inode = in.U64();
  }
  provenance.missingPaths = in.Strings("missing paths");
}

Counts ReadCounts(ByteReader& in) {
  Counts counts;
  for (std::uint32_t* count : {&counts.animations, &counts.cameras, &counts.lights, &counts.texturePaths,
                               &counts.materials, &counts.nodes, &counts.surfaces, &counts.geometries})
    *count = in.U32();
  return counts;
}

void ReadSection(Section section, ByteReader& in, const Counts& counts, SceneData& data, SceneDerivedData& derived) {
  switch (section) {
    case kSource: return ReadSource(in, data.source);
    case kAnimations:
      ReadAnimations(in, data.animations);
      return ExpectCount(in, data.animations.size(), counts.animations, "animations");
    case kCameras:
      ReadCameras(in, data.cameras);
      return ExpectCount(in, data.cameras.size(), counts.cameras, "cameras");
    case kLights:
      ReadLights(in, data.lights);
      return ExpectCount(in, data.lights.size(), counts.lights, "lights");
    case kTexturePaths:
      data.texturePaths = in.Strings("texture paths");
      return ExpectCount(in, data.texturePaths.size(), counts.texturePaths, "texture paths");
    case kMaterials:
      ReadMaterials(in, data.materials);
      return ExpectCount(in, data.materials.size(), counts.materials, "materials");
    case kNodes:
      ReadNodes(in, data);
      ExpectCount(in, data.nodes.size(), counts.nodes, "nodes");
      if (in.Ok()) in.FailUnlessEmpty(NodesDefect(data.nodes, data.rootNodeID, counts));
      return;
    case kSurfaces:
      ReadSurfaces(in, data.surfaces);
      ExpectCount(in, data.surfaces.size(), counts.surfaces, "surfaces");
      if (in.Ok()) in.FailUnlessEmpty(SurfacesDefect(data.surfaces, counts));
      return;
    case kParents:
      ReadIds(in, derived.parents, "parents");
      ExpectCount(in, derived.parents.size(), counts.nodes, "parents");
      if (in.Ok()) in.FailUnlessEmpty(ParentsDefect(derived.parents));
      return;
    case kGlobals:
      derived.globals.resize(in.Count(64, "global matrices"));
      in.Words32(derived.globals.data(), derived.globals.size() * 16, "global matrices");
      return ExpectCount(in, derived.globals.size(), counts.nodes, "global matrices");
    case kSceneBox:
      derived.boxMin = Read<D3DXVECTOR3>(in, "the scene box");
      derived.boxMax = Read<D3DXVECTOR3>(in, "the scene box");
      return;
    case kProvenance:
    case kCounts:
    case kGeometryHeaders:
    case kGeometryData:
    case kSectionCount: return;
  }
}

std::vector<GeometryHeader> ReadGeometryHeaders(ByteReader& in, const Counts& counts, std::uint64_t dataLength) {
  std::vector<GeometryHeader> headers(in.Count(kGeometryHeaderBytes, "geometries"));
  ExpectCount(in, headers.size(), counts.geometries, "geometries");
  std::uint64_t end = 0;
  for (std::size_t id = 0; id < headers.size() && in.Ok(); ++id) {
    GeometryHeader& header = headers[id];
    header.primitiveSize = in.I64();
    header.min = Read<D3DXVECTOR3>(in, "a bounding box");
    header.max = Read<D3DXVECTOR3>(in, "a bounding box");
    header.vertexCount = in.U32();
    header.indexCount = in.U32();
    header.uvSets = in.U8();
    header.uvCountsVary = in.U8();
    header.offset = in.U64();
    header.length = in.U64();
    header.checksum = in.U64();
    if (!in.Ok()) break;
    const std::string geometry = "geometry " + std::to_string(id);
    // One encoding per geometry: UV streams only for vertices that have them,
    // per-vertex counts only where they differ.
    if (header.uvSets > Vertex::kMaxUVSets || header.uvCountsVary > 1 ||
        (header.vertexCount == 0 && header.uvSets + header.uvCountsVary > 0))
    {
      in.Fail(geometry + " has UV layout " + std::to_string(header.uvSets) + "/" +
              std::to_string(header.uvCountsVary) + ", not one this format writes");
      break;
    }
    const std::uint64_t bytes = std::uint64_t{header.vertexCount} * (24 + 8 * header.uvSets + header.uvCountsVary) +
                                std::uint64_t{header.indexCount} * 4;
    const std::uint64_t next = (end + kAlignment - 1) / kAlignment * kAlignment;
    if (header.length != bytes || header.offset != next || header.offset > dataLength ||
        header.length > dataLength - header.offset) {
      in.Fail(geometry + " claims " + std::to_string(header.length) + " bytes at " + std::to_string(header.offset) +
              " of " + std::to_string(dataLength) + " (its counts need " + std::to_string(bytes) + ")");
      break;
    }
    end = header.offset + header.length;
  }
  if (in.Ok() && end != dataLength)
    in.Fail("the geometries end at byte " + std::to_string(end) + " of " + std::to_string(dataLength));
  return headers;
}

void ApplyGeometryHeader(const GeometryHeader& header, Geometry& geometry) {
  geometry.SetPrimitiveSize(header.primitiveSize);
  geometry.SetBoundingBox(header.min, header.max);
}

void ReadGeometryData(ByteReader& in, const GeometryHeader& header, Geometry& geometry) {
  const std::size_t vertexCount = header.vertexCount, indexCount = header.indexCount, uvSets = header.uvSets;
  const std::uint8_t* positions = in.Take(vertexCount * 12, "positions");
  const std::uint8_t* normals = in.Take(vertexCount * 12, "normals");
  const std::uint8_t* uvs[Vertex::kMaxUVSets] = {};
  for (std::size_t set = 0; set < uvSets; ++set) uvs[set] = in.Take(vertexCount * 8, "a UV set");
  std::vector<std::uint32_t> indices(indexCount);
  in.Words32(indices.data(), indexCount, "indices");
  const std::uint8_t* counts = header.uvCountsVary ? in.Take(vertexCount, "UV set counts") : nullptr;
  if (!in.Ok()) return;
  if (counts) {
    const auto [fewest, most] = std::minmax_element(counts, counts + vertexCount);
    if (*fewest == *most || *most != uvSets)
      return in.Fail("geometry UV set counts from " + std::to_string(*fewest) + " to " + std::to_string(*most) +
                     " do not match its layout of " + std::to_string(uvSets));
  }
  if (!indices.empty()) {
    const std::uint32_t highest = *std::max_element(indices.begin(), indices.end());
    if (highest >= vertexCount)
      return in.Fail("a geometry indexes vertex " + std::to_string(highest) + " of " + std::to_string(vertexCount));
  }
  std::vector<Vertex> vertices;
  vertices.reserve(vertexCount);
  AdviseHugePages(vertices.data(), vertexCount * sizeof(Vertex));
  for (std::size_t i = 0; i < vertexCount; ++i) {
    D3DXVECTOR3 position, normal;
    CopyWords32(&position, positions + 12 * i, 3);
    CopyWords32(&normal, normals + 12 * i, 3);
    Vertex& vertex = vertices.emplace_back(position, normal);
    const std::size_t sets = counts ? counts[i] : uvSets;
    for (std::size_t set = 0; set < sets; ++set) {
      D3DXVECTOR2 uv;
      CopyWords32(&uv, uvs[set] + 8 * i, 2);
      vertex.AddUV(uv);
    }
  }
  geometry.Vertices = std::move(vertices);
  geometry.Indices = std::move(indices);
}

}  // namespace Importing::snapshot
