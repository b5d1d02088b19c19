#include "scene/import/assimp/mesh_conversion.h"

#include <assimp/mesh.h>

#include "scene/import/assimp/convert_math.h"
#include "scene/import/vertex_welding.h"

namespace Importing::Import {

std::int64_t PrimitiveSize(unsigned assimpPrimitiveTypes) {
  switch (assimpPrimitiveTypes & ~static_cast<unsigned>(aiPrimitiveType_NGONEncodingFlag)) {
    case aiPrimitiveType_POINT: return 1;
    case aiPrimitiveType_LINE: return 2;
    case aiPrimitiveType_TRIANGLE: return 3;
    default: return 0;
  }
}

Geometry ConvertMesh(const aiMesh& mesh, std::vector<std::string>& warnings, bool indexedFormat) {
  const std::string label = "Mesh '" + ToString(mesh.mName) + "'";
  std::int64_t size = PrimitiveSize(mesh.mPrimitiveTypes);
  if (size == 0) {
    // Mixed kinds or polygons survive only when post-processing was skipped.
    size = mesh.mNumFaces > 0 ? mesh.mFaces[0].mNumIndices : 3;
    warnings.push_back(label + " mixes primitive kinds or keeps polygons; primitive size taken from its first face");
  }
  Geometry geometry(size);

  unsigned uvSets = 0;
  for (unsigned set = 0; set < AI_MAX_NUMBER_OF_TEXTURECOORDS && mesh.HasTextureCoords(set); ++set) ++uvSets;
  if (uvSets > Vertex::kMaxUVSets) {
    warnings.push_back(label + " has " + std::to_string(uvSets) + " UV sets; only the first " +
                       std::to_string(Vertex::kMaxUVSets) + " are kept");
    uvSets = Vertex::kMaxUVSets;
  }

  // Formats that write a vertex per face corner are welded on Assimp's own
  // streams, so that records are made for the survivors only: a million
  // corners cost no million records.
  std::vector<std::uint32_t> survivorOf, survivors;
  if (mesh.mNumVertices >= 2 && mesh.mVertices != nullptr && (!indexedFormat || HasOneVertexPerCorner(mesh))) {
    static_assert(sizeof(aiVector3D) == 3 * sizeof(float), "Assimp's vectors are read as three floats");
    WeldStreams streams;
    streams.count = mesh.mNumVertices;
    streams.positions = &mesh.mVertices[0].x;
    streams.normals = mesh.mNormals ? &mesh.mNormals[0].x : nullptr;
    streams.uvSets = uvSets;
    for (unsigned set = 0; set < uvSets; ++set) streams.uvs[set] = &mesh.mTextureCoords[set][0].x;
    streams.uvStride = 3;
    WeldMap(streams, survivorOf, survivors);
  }
  const auto convert = [&](unsigned i) {
    const D3DXVECTOR3 normal = mesh.mNormals ? ToVector(mesh.mNormals[i]) : D3DXVECTOR3{};
    Vertex& vertex = geometry.Vertices.emplace_back(ToVector(mesh.mVertices[i]), normal);
    for (unsigned set = 0; set < uvSets; ++set)
      vertex.AddUV({mesh.mTextureCoords[set][i].x, mesh.mTextureCoords[set][i].y});
  };
  if (survivors.empty()) {
    geometry.Vertices.reserve(mesh.mNumVertices);
    for (unsigned i = 0; i < mesh.mNumVertices; ++i) convert(i);
  } else {
    geometry.Vertices.reserve(survivors.size());
    for (const std::uint32_t i : survivors) convert(i);
  }

  std::size_t indexCount = 0;
  for (unsigned f = 0; f < mesh.mNumFaces; ++f) indexCount += mesh.mFaces[f].mNumIndices;
  geometry.Indices.reserve(indexCount);
  for (unsigned f = 0; f < mesh.mNumFaces; ++f) {
    const aiFace& face = mesh.mFaces[f];
    geometry.Indices.insert(geometry.Indices.end(), face.mIndices, face.mIndices + face.mNumIndices);
  }
  if (!survivorOf.empty())
    for (std::uint32_t& index : geometry.Indices)
      if (index < survivorOf.size()) index = survivorOf[index];
  geometry.UpdateBoundingBox();
  return geometry;
}

}  // namespace Importing::Import
