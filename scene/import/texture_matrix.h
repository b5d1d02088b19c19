#pragma once

// Texture matrices: 4x4 row-vector matrices that map a vertex's stored
// (u, v, 0, 1) to the coordinates the file means to sample.

#include "host/d3dx_math.h"

namespace Importing::Import {

// A UV transform as Assimp stores it for a texture slot.
struct UvTransform {
  float translationX = 0, translationY = 0;
  float scalingX = 1, scalingY = 1;
  float rotation = 0;  // radians
};

// glTF's KHR_texture_transform values.
struct KhrTextureTransform {
  float offsetX = 0, offsetY = 0;
  float rotation = 0;  // radians
  float scaleX = 1, scaleY = 1;
};

// Undoes the glTF importer's change of coordinates (Assimp 5.2.x) to get
// back the values written in the file.
KhrTextureTransform RecoverKhrTextureTransform(const UvTransform& stored);

// The matrix for a glTF texture: the importer stores v flipped, so flip v,
// apply T(offset) R(rotation) S(scale) as the extension defines them, and
// flip v back.
D3DXMATRIX GltfTextureMatrix(const KhrTextureTransform& transform);

// The matrix for any other format, as Assimp documents its fields: scale,
// then counter-clockwise rotation about (0.5, 0.5), then translation.
D3DXMATRIX GenericTextureMatrix(const UvTransform& transform);

// Applies `m` to the point (u, v, 0, 1) and returns the resulting (u, v).
D3DXVECTOR2 ApplyToUV(const D3DXMATRIX& m, float u, float v);

}  // namespace Importing::Import
