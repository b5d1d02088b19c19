#pragma once

// Plain layouts of the Direct3D extension math types: 32-bit floats, no
// arithmetic. Values are passed on unchanged between scene and host.

struct D3DXVECTOR2 {
  float x = 0, y = 0;
};

struct D3DXVECTOR3 {
  float x = 0, y = 0, z = 0;
};

struct D3DXQUATERNION {
  float x = 0, y = 0, z = 0, w = 1;
};

// Row-major 4x4 matrix; row-vector convention, so translation is in row 4.
struct D3DXMATRIX {
  float m[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
};

static_assert(sizeof(D3DXVECTOR2) == 8);
static_assert(sizeof(D3DXVECTOR3) == 12);
static_assert(sizeof(D3DXQUATERNION) == 16);
static_assert(sizeof(D3DXMATRIX) == 64);

inline bool operator==(const D3DXVECTOR2& a, const D3DXVECTOR2& b) { return a.x == b.x && a.y == b.y; }
inline bool operator==(const D3DXVECTOR3& a, const D3DXVECTOR3& b) {
  return a.x == b.x && a.y == b.y && a.z == b.z;
}
inline bool operator==(const D3DXQUATERNION& a, const D3DXQUATERNION& b) {
  return a.x == b.x && a.y == b.y && a.z == b.z && a.w == b.w;
}
inline bool operator==(const D3DXMATRIX& a, const D3DXMATRIX& b) {
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c)
      if (a.m[r][c] != b.m[r][c]) return false;
  return true;
}
