#pragma once

// Assimp meshes as geometries, one per mesh, with the same index.

#include <string>
#include <vector>

#include "scene/records.h"

struct aiMesh;

namespace Importing::Import {

// Vertices per primitive for the mesh's primitive type (the n-gon encoding
// flag masked out); 0 when the type is not one primitive kind.
std::int64_t PrimitiveSize(unsigned assimpPrimitiveTypes);

// Converts one mesh; problems that do not stop the import go to `warnings`.
// Identical vertices are merged (see vertex_welding.h), except where
// `indexedFormat` (glTF, PLY: formats that store shared vertices) and the
// mesh arrives with an index list of its own: then it keeps the file's.
Geometry ConvertMesh(const aiMesh& mesh, std::vector<std::string>& warnings, bool indexedFormat);

}  // namespace Importing::Import
