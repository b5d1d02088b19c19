#include <algorithm>

#include "scene/snapshot/snapshot_format.h"

namespace Importing::snapshot {

namespace {

void Write(const D3DXVECTOR3& v, ByteWriter& out) { out.Words32(&v, 3); }
void Write(const D3DXMATRIX& m, ByteWriter& out) { out.Words32(&m, 16); }
void Write(const Color& c, ByteWriter& out) { out.Words32(&c, 4); }

template <class Id>
void WriteIds(const std::vector<Id>& ids, ByteWriter& out) {
  out.U32(static_cast<std::uint32_t>(ids.size()));
  out.Words32(ids.data(), ids.size());
}

void WriteSource(const SceneSource& source, ByteWriter& out) {
  out.String(source.path);
  out.String(source.format);
  out.Strings(source.embeddedImages);
  out.Strings(source.embeddedImageNames);
  out.Strings(source.embeddedImageBytes);
  out.Strings(source.warnings);
  out.U32(static_cast<std::uint32_t>(source.animationGroups.size()));
  for (const AnimationGroup& group : source.animationGroups) {
    out.String(group.name);
    out.U32(group.first);
    out.U32(group.count);
  }
}

void WriteAnimations(const std::vector<Animation>& animations, ByteWriter& out) {
  out.U32(static_cast<std::uint32_t>(animations.size()));
  for (const Animation& keys : animations) {
    out.U32(static_cast<std::uint32_t>(keys.size()));
    for (const Key& key : keys) {
      out.U32(key.GetTime());
      Write(key.GetPosition(), out);
      const D3DXQUATERNION rotation = key.GetRotation();
      out.Words32(&rotation, 4);
      Write(key.GetScale(), out);
    }
  }
}

void WriteCameras(const std::vector<Camera>& cameras, ByteWriter& out) {
  out.U32(static_cast<std::uint32_t>(cameras.size()));
  for (const Camera& camera : cameras) {
    out.String(camera.GetName());
    Write(camera.GetOffsetTransform().GetMatrix(), out);
    const float view[4] = {camera.GetFovX(), camera.GetFovY(), camera.GetNearZ(), camera.GetFarZ()};
    out.Words32(view, 4);
  }
}

void WriteLights(const std::vector<Light>& lights, ByteWriter& out) {
  out.U32(static_cast<std::uint32_t>(lights.size()));
  for (const Light& light : lights) {
    out.String(light.GetName());
    out.I32(light.GetType());
    Write(light.GetOffsetTransform().GetMatrix(), out);
    Write(light.GetDiffuse(), out);
    Write(light.GetAmbient(), out);
    Write(light.GetSpecular(), out);
    Write(light.GetAttenuation(), out);
    const float cone[3] = {light.GetRange(), light.GetTheta(), light.GetPhi()};
    out.Words32(cone, 3);
    out.U8(light.GetShadowCast() ? 1 : 0);
    out.F32(light.GetShadowDensity());
  }
}

void WriteMatrices(const std::vector<D3DXMATRIX>& matrices, ByteWriter& out) {
  out.U32(static_cast<std::uint32_t>(matrices.size()));
  out.Words32(matrices.data(), matrices.size() * 16);
}

void WriteMaterials(const std::vector<Material>& materials, ByteWriter& out) {
  out.U32(static_cast<std::uint32_t>(materials.size()));
  for (const Material& material : materials) {
    out.String(material.GetName());
    Write(material.GetDiffuse(), out);
    Write(material.GetEmissive(), out);
    Write(material.GetSpecular(), out);
    out.F32(material.GetSpecularPower());
    out.F32(material.GetOpacity());
  }
}

void WriteNodes(const std::vector<Node>& nodes, int root, ByteWriter& out) {
  out.I32(root);
  out.U32(static_cast<std::uint32_t>(nodes.size()));
  for (const Node& node : nodes) {
    out.String(node.GetName());
    out.String(node.GetNote());
    Write(node.LocalMatrix(), out);
    out.I32(node.GetAnimationID());
    WriteIds(node.SurfaceIDs, out);
    WriteIds(node.ChildIDs, out);
    WriteIds(node.CameraIDs, out);
    WriteIds(node.LightIDs, out);
  }
}

void WriteSurfaces(const std::vector<Surface>& surfaces, ByteWriter& out) {
  out.U32(static_cast<std::uint32_t>(surfaces.size()));
  for (const Surface& surface : surfaces) {
    out.I32(surface.GetGeometryID());
    out.I32(surface.GetMaterialID());
    out.U32(static_cast<std::uint32_t>(surface.Textures.size()));
    for (const SurfaceTexture& texture : surface.Textures) {
      out.I32(texture.GetTextureID());
      out.String(texture.GetTextureType());
      out.I32(texture.GetUVSet());
      out.F32(texture.GetAmount());
      Write(texture.GetTextureMatrix(), out);
    }
  }
}

}  // namespace

void WriteProvenance(const SnapshotProvenance& provenance, ByteWriter& out) {
  out.String(provenance.importerBuildId);
  out.String(provenance.readerLibraries);
  out.String(provenance.importSettings);
  out.U32(static_cast<std::uint32_t>(provenance.files.size()));
  for (const SnapshotFileIdentity& file : provenance.files) {
    out.String(file.path);
    out.U64(file.size);
    out.I64(file.mtimeNs);
    out.I64(file.ctimeNs);
    out.U64(file.inode);
  }
  out.Strings(provenance.missingPaths);
}

Counts CountsOf(const SceneContainer& c) {
  const auto size = [](const auto& collection) { return static_cast<std::uint32_t>(collection.size()); };
  return {size(c.Animations()), size(c.Cameras()),   size(c.Lights()), size(c.TexturePaths()),
          size(c.Materials()),  size(c.Nodes()),     size(c.Surfaces()), size(c.Geometries())};
}

void WriteCounts(const Counts& counts, ByteWriter& out) {
  for (const std::uint32_t count : {counts.animations, counts.cameras, counts.lights, counts.texturePaths,
                                    counts.materials, counts.nodes, counts.surfaces, counts.geometries})
    out.U32(count);
}

// Vertices go as streams (all positions, all normals, then each UV set) so
// that a reader copies arrays rather than parsing fields.
GeometryHeader WriteGeometryData(const Geometry& geometry, ByteWriter& out) {
  const std::vector<Vertex>& vertices = geometry.Vertices;
  std::uint64_t fewestSets = Vertex::kMaxUVSets, mostSets = 0;
  for (const Vertex& v : vertices) {
    fewestSets = std::min(fewestSets, v.GetUVSetCount());
    mostSets = std::max(mostSets, v.GetUVSetCount());
  }
  GeometryHeader header;
  header.primitiveSize = geometry.GetPrimitiveSize();
  geometry.GetBoundingBox(header.min, header.max);
  header.vertexCount = static_cast<std::uint32_t>(vertices.size());
  header.indexCount = static_cast<std::uint32_t>(geometry.Indices.size());
  header.uvSets = static_cast<std::uint8_t>(mostSets);
  header.uvCountsVary = !vertices.empty() && fewestSets != mostSets ? 1 : 0;

  out.PadTo(kAlignment);
  const std::size_t start = out.Size();
  std::vector<float> stream(vertices.size() * 3);
  for (const bool normals : {false, true}) {
    for (std::size_t i = 0; i < vertices.size(); ++i) {
      const D3DXVECTOR3 v = normals ? vertices[i].GetNormal() : vertices[i].GetPosition();
      stream[3 * i] = v.x;
      stream[3 * i + 1] = v.y;
      stream[3 * i + 2] = v.z;
    }
    out.Words32(stream.data(), stream.size());
  }
  stream.resize(vertices.size() * 2);
  for (std::size_t set = 0; set < mostSets; ++set) {
    for (std::size_t i = 0; i < vertices.size(); ++i) {
      const D3DXVECTOR2 uv = vertices[i].GetUV(set);
      stream[2 * i] = uv.x;
      stream[2 * i + 1] = uv.y;
    }
    out.Words32(stream.data(), stream.size());
  }
  out.Words32(geometry.Indices.data(), geometry.Indices.size());
  if (header.uvCountsVary)
    for (const Vertex& v : vertices) out.U8(static_cast<std::uint8_t>(v.GetUVSetCount()));
  header.offset = start;
  header.length = out.Size() - start;
  header.checksum = Checksum(out.At(start), header.length);
  return header;
}

void WriteGeometryHeaders(const std::vector<GeometryHeader>& headers, ByteWriter& out) {
  out.U32(static_cast<std::uint32_t>(headers.size()));
  for (const GeometryHeader& header : headers) {
    out.I64(header.primitiveSize);
    Write(header.min, out);
    Write(header.max, out);
    out.U32(header.vertexCount);
    out.U32(header.indexCount);
    out.U8(header.uvSets);
    out.U8(header.uvCountsVary);
    out.U64(header.offset);
    out.U64(header.length);
    out.U64(header.checksum);
  }
}

void WriteSection(Section section, const SceneContainer& container, ByteWriter& out) {
  const SceneDerivedData& derived = container.Derived();
  switch (section) {
    case kSource: return WriteSource(container.Source(), out);
    case kAnimations: return WriteAnimations(container.Animations(), out);
    case kCameras: return WriteCameras(container.Cameras(), out);
    case kLights: return WriteLights(container.Lights(), out);
    case kTexturePaths: return out.Strings(container.TexturePaths());
    case kMaterials: return WriteMaterials(container.Materials(), out);
    case kNodes: return WriteNodes(container.Nodes(), container.GetRootNodeID(), out);
    case kSurfaces: return WriteSurfaces(container.Surfaces(), out);
    case kParents: return WriteIds(derived.parents, out);
    case kGlobals: return WriteMatrices(derived.globals, out);
    case kSceneBox:
      Write(derived.boxMin, out);
      return Write(derived.boxMax, out);
    case kProvenance:
    case kCounts:
    case kGeometryHeaders:
    case kGeometryData:
    case kSectionCount: return;
  }
}

}  // namespace Importing::snapshot
