#pragma once

// Merging the copies of a vertex that formats without shared vertices
// (OBJ, STL, 3DS, FBX, ...) write once per face corner.

#include "scene/records.h"

struct aiMesh;

namespace Importing::Import {

// Whether the mesh has one vertex per face corner: its faces list the
// vertices 0, 1, 2, ... in order, each once, and nothing else.
bool HasOneVertexPerCorner(const aiMesh& mesh);

// Merges each vertex whose position, normal and every UV set lie within
// 1e-5 of those of a vertex kept before it into that vertex (the latest kept
// one, where several qualify), keeps the survivors in their order and
// points the indices at them.
void WeldIdenticalVertices(Geometry& geometry);

}  // namespace Importing::Import
