#pragma once

#include "host/d3dx_math.h"

// Matrices that tests build scenes from (row-vector convention).
inline D3DXMATRIX Translation(float x, float y, float z) {
  D3DXMATRIX m;
  m.m[3][0] = x;
  m.m[3][1] = y;
  m.m[3][2] = z;
  return m;
}

inline D3DXMATRIX Scale(float s) {
  D3DXMATRIX m;
  m.m[0][0] = m.m[1][1] = m.m[2][2] = s;
  return m;
}
