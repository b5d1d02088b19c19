#include "scene/import/texture_matrix.h"

#include <cmath>

namespace Importing::Import {
namespace {

// 2D affine maps as 4x4 row-vector matrices acting on (u, v, 0, 1); computed
// in double and rounded once at the end.
struct Affine {
  // u' = a*u + b*v + e; v' = c*u + d*v + f
  double a = 1, b = 0, c = 0, d = 1, e = 0, f = 0;
};

// `first` applied, then `second`.
Affine Then(const Affine& first, const Affine& second) {
  Affine r;
  r.a = second.a * first.a + second.b * first.c;
  r.b = second.a * first.b + second.b * first.d;
  r.c = second.c * first.a + second.d * first.c;
  r.d = second.c * first.b + second.d * first.d;
  r.e = second.a * first.e + second.b * first.f + second.e;
  r.f = second.c * first.e + second.d * first.f + second.f;
  return r;
}

Affine Translation(double x, double y) { return {1, 0, 0, 1, x, y}; }
Affine Scaling(double x, double y) { return {x, 0, 0, y, 0, 0}; }
Affine FlipV() { return {1, 0, 0, -1, 0, 1}; }

D3DXMATRIX ToMatrix(const Affine& t) {
  D3DXMATRIX m;
  m.m[0][0] = static_cast<float>(t.a);  // u's share of u'
  m.m[0][1] = static_cast<float>(t.c);  // u's share of v'
  m.m[1][0] = static_cast<float>(t.b);
  m.m[1][1] = static_cast<float>(t.d);
  m.m[3][0] = static_cast<float>(t.e);
  m.m[3][1] = static_cast<float>(t.f);
  return m;
}

}  // namespace

KhrTextureTransform RecoverKhrTextureTransform(const UvTransform& stored) {
  KhrTextureTransform khr;
  khr.rotation = -stored.rotation;
  khr.scaleX = stored.scalingX;
  khr.scaleY = stored.scalingY;
  const double c = std::cos(static_cast<double>(khr.rotation));
  const double n = std::sin(static_cast<double>(khr.rotation));
  const double sx = khr.scaleX, sy = khr.scaleY;
  khr.offsetX = static_cast<float>(stored.translationX - 0.5 * sx * (1 - c + n));
  khr.offsetY = static_cast<float>(0.5 * sy * (n + c - 1) + 1 - sy - stored.translationY);
  return khr;
}

D3DXMATRIX GltfTextureMatrix(const KhrTextureTransform& t) {
  // KHR_texture_transform's rotation matrix: u' = c u + s v, v' = -s u + c v.
  const double c = std::cos(static_cast<double>(t.rotation));
  const double s = std::sin(static_cast<double>(t.rotation));
  const Affine rotation{c, s, -s, c, 0, 0};
  Affine m = FlipV();
  m = Then(m, Scaling(t.scaleX, t.scaleY));
  m = Then(m, rotation);
  m = Then(m, Translation(t.offsetX, t.offsetY));
  m = Then(m, FlipV());
  return ToMatrix(m);
}

D3DXMATRIX GenericTextureMatrix(const UvTransform& t) {
  // Counter-clockwise: u' = c u - s v, v' = s u + c v.
  const double c = std::cos(static_cast<double>(t.rotation));
  const double s = std::sin(static_cast<double>(t.rotation));
  const Affine rotation{c, -s, s, c, 0, 0};
  Affine m = Scaling(t.scalingX, t.scalingY);
  m = Then(m, Translation(-0.5, -0.5));
  m = Then(m, rotation);
  m = Then(m, Translation(0.5, 0.5));
  m = Then(m, Translation(t.translationX, t.translationY));
  return ToMatrix(m);
}

D3DXVECTOR2 ApplyToUV(const D3DXMATRIX& m, float u, float v) {
  return {u * m.m[0][0] + v * m.m[1][0] + m.m[3][0], u * m.m[0][1] + v * m.m[1][1] + m.m[3][1]};
}

}  // namespace Importing::Import
