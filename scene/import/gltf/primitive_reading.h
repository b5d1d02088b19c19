#pragma once

// One mesh primitive as one geometry record: vertices in the file's order
// (POSITION, NORMAL, TEXCOORD_n decoded from plain, quantized, sparse,
// meshopt or Draco data), indices listed as the primitive's mode draws them
// (strips and fans as triangles, line strips and loops as lines), UVs with V
// flipped and a primitive that lists each vertex once, in order, welded, as
// the Assimp route stores them.

#include "scene/import/gltf/document.h"
#include "scene/records.h"

namespace Importing::Import::Gltf {

// Fills `geometry` (empty, in its final place: records are copied, never
// moved, so the caller keeps it where it will stay).
void ReadPrimitive(const Document& document, const JsonValue& primitive, Geometry& geometry);

}  // namespace Importing::Import::Gltf
