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

  geometry.Vertices.reserve(mesh.mNumVertices);
  for (unsigned i = 0; i < mesh.mNumVertices; ++i) {
    const D3DXVECTOR3 normal = mesh.mNormals ? ToVector(mesh.mNormals[i]) : D3DXVECTOR3{};
    Vertex vertex(ToVector(mesh.mVertices[i]), normal);
    for (unsigned set = 0; set < uvSets; ++set)
      vertex.AddUV({mesh.mTextureCoords[set][i].x, mesh.mTextureCoords[set][i].y});
    geometry.Vertices.push_back(vertex);
  }

  std::size_t indexCount = 0;
  for (unsigned f = 0; f < mesh.mNumFaces; ++f) indexCount += mesh.mFaces[f].mNumIndices;
  geometry.Indices.reserve(indexCount);
  for (unsigned f = 0; f < mesh.mNumFaces; ++f) {
    const aiFace& face = mesh.mFaces[f];
    geometry.Indices.insert(geometry.Indices.end(), face.mIndices, face.mIndices + face.mNumIndices);
  }
  if (!indexedFormat || HasOneVertexPerCorner(mesh)) WeldIdenticalVertices(geometry);
  geometry.UpdateBoundingBox();
  return geometry;
}

}  // namespace Importing::Import
