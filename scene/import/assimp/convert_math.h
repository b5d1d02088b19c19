#pragma once

// Small conversions from Assimp's value types to the records' plain types.

#include <assimp/color4.h>
#include <assimp/matrix4x4.h>
#include <assimp/types.h>
#include <assimp/vector3.h>

#include "host/d3dx_math.h"
#include "scene/records.h"

namespace Importing::Import {

// Assimp matrices are column-vector (translation in the 4th column); the
// records use row vectors, so the element layout is the transpose.
inline D3DXMATRIX ToRowVectorMatrix(const aiMatrix4x4& m) {
  const float* src[4] = {m[0], m[1], m[2], m[3]};
  D3DXMATRIX out;
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) out.m[r][c] = src[c][r];
  return out;
}

inline D3DXVECTOR3 ToVector(const aiVector3D& v) { return {v.x, v.y, v.z}; }

inline Color ToColor(const aiColor3D& c) { return {c.r, c.g, c.b, 1.0f}; }
inline Color ToColor(const aiColor4D& c) { return {c.r, c.g, c.b, c.a}; }

inline std::string ToString(const aiString& s) { return std::string(s.C_Str(), s.length); }

}  // namespace Importing::Import
