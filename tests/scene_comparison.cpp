#include "tests/scene_comparison.h"

#include <algorithm>
#include <cmath>
#include <sstream>

namespace Importing::Testing {
namespace {

class Differ {
 public:
  explicit Differ(std::size_t limit) : limit_(limit) {}

  bool Full() const { return found_.size() >= limit_; }
  std::vector<std::string> Found() && { return std::move(found_); }

  template <typename T>
  void Same(const std::string& what, const T& a, const T& b) {
    if (!(a == b)) Note(what, Text(a), Text(b));
  }
  void Near(const std::string& what, double a, double b, double scale) {
    const double allowed = 1e-6 * std::max(scale, 1e-30);
    const bool bothNan = std::isnan(a) && std::isnan(b);
    if (!bothNan && !(std::fabs(a - b) <= allowed) && !(a == b)) Note(what, Text(a), Text(b));
  }
  void Near(const std::string& what, const D3DXVECTOR3& a, const D3DXVECTOR3& b, double scale) {
    Near(what + ".x", a.x, b.x, scale);
    Near(what + ".y", a.y, b.y, scale);
    Near(what + ".z", a.z, b.z, scale);
  }
  void Near(const std::string& what, const D3DXMATRIX& a, const D3DXMATRIX& b, double scale) {
    for (int r = 0; r < 4; ++r)
      for (int c = 0; c < 4; ++c)
        Near(what + "[" + std::to_string(r) + "][" + std::to_string(c) + "]", a.m[r][c], b.m[r][c], scale);
  }
  void Near(const std::string& what, const Color& a, const Color& b) {
    Near(what + ".r", a.r, b.r, 1);
    Near(what + ".g", a.g, b.g, 1);
    Near(what + ".b", a.b, b.b, 1);
    Near(what + ".a", a.a, b.a, 1);
  }

 private:
  template <typename T>
  static std::string Text(const T& value) {
    std::ostringstream out;
    out.precision(9);
    if constexpr (std::is_same_v<T, std::vector<int>> || std::is_same_v<T, std::vector<std::uint32_t>>) {
      out << "[";
      for (std::size_t i = 0; i < value.size() && i < 12; ++i) out << (i ? "," : "") << value[i];
      out << (value.size() > 12 ? ",...]" : "]");
    } else {
      out << value;
    }
    return out.str();
  }
  void Note(const std::string& what, const std::string& a, const std::string& b) {
    if (!Full()) found_.push_back(what + ": " + a + " vs " + b);
  }

  std::size_t limit_;
  std::vector<std::string> found_;
};

double Magnitude(const D3DXVECTOR3& v) { return std::max({std::fabs(v.x), std::fabs(v.y), std::fabs(v.z)}); }

void CompareGeometry(Differ& d, const std::string& at, const Geometry& a, const Geometry& b) {
  d.Same(at + " primitive size", a.GetPrimitiveSize(), b.GetPrimitiveSize());
  d.Same(at + " vertex count", a.Vertices.size(), b.Vertices.size());
  D3DXVECTOR3 minA, maxA, minB, maxB;
  a.GetBoundingBox(minA, maxA);
  b.GetBoundingBox(minB, maxB);
  const double scale = std::max(Magnitude(minA), Magnitude(maxA));
  d.Near(at + " box min", minA, minB, scale);
  d.Near(at + " box max", maxA, maxB, scale);
  if (a.Vertices.size() != b.Vertices.size()) return;
  d.Same(at + " indices", a.Indices, b.Indices);
  for (std::size_t i = 0; i < a.Vertices.size() && !d.Full(); ++i) {
    const Vertex &va = a.Vertices[i], &vb = b.Vertices[i];
    const std::string v = at + ".vertices[" + std::to_string(i) + "]";
    d.Near(v + " position", va.GetPosition(), vb.GetPosition(), scale);
    d.Near(v + " normal", va.GetNormal(), vb.GetNormal(), 1);
    d.Same(v + " UV sets", va.GetUVSetCount(), vb.GetUVSetCount());
    for (std::size_t s = 0; s < va.GetUVSetCount(); ++s) {
      d.Near(v + " u" + std::to_string(s), va.GetUV(s).x, vb.GetUV(s).x, 1);
      d.Near(v + " v" + std::to_string(s), va.GetUV(s).y, vb.GetUV(s).y, 1);
    }
  }
}

}  // namespace

std::vector<std::string> Differences(const SceneContainer& a, const SceneContainer& b, bool animations,
                                     std::size_t limit) {
  Differ d(limit);
  D3DXVECTOR3 minA, maxA, minB, maxB;
  a.GetBoundingBox(minA, maxA);
  b.GetBoundingBox(minB, maxB);
  const double sceneScale = std::max(Magnitude(minA), Magnitude(maxA));
  d.Near("scene box min", minA, minB, sceneScale);
  d.Near("scene box max", maxA, maxB, sceneScale);
  d.Same("root", a.GetRootNodeID(), b.GetRootNodeID());
  d.Same("node count", a.Nodes().size(), b.Nodes().size());
  d.Same("geometry count", a.Geometries().size(), b.Geometries().size());
  d.Same("surface count", a.Surfaces().size(), b.Surfaces().size());
  d.Same("material count", a.Materials().size(), b.Materials().size());
  d.Same("texture count", a.TexturePaths().size(), b.TexturePaths().size());
  d.Same("camera count", a.Cameras().size(), b.Cameras().size());
  d.Same("light count", a.Lights().size(), b.Lights().size());
  if (animations) d.Same("animation count", a.Animations().size(), b.Animations().size());

  for (std::size_t i = 0; i < std::min(a.Nodes().size(), b.Nodes().size()); ++i) {
    const Node &na = a.Nodes()[i], &nb = b.Nodes()[i];
    const std::string at = "nodes[" + std::to_string(i) + "]";
    d.Same(at + " name", na.GetName(), nb.GetName());
    d.Same(at + " note", na.GetNote(), nb.GetNote());
    d.Near(at + " local matrix", na.LocalMatrix(), nb.LocalMatrix(), std::max(1.0, sceneScale));
    d.Same(at + " children", na.ChildIDs, nb.ChildIDs);
    d.Same(at + " surfaces", na.SurfaceIDs, nb.SurfaceIDs);
    d.Same(at + " cameras", na.CameraIDs, nb.CameraIDs);
    d.Same(at + " lights", na.LightIDs, nb.LightIDs);
    if (animations) d.Same(at + " animation", na.GetAnimationID(), nb.GetAnimationID());
  }
  for (std::size_t i = 0; i < std::min(a.Geometries().size(), b.Geometries().size()); ++i)
    CompareGeometry(d, "geometries[" + std::to_string(i) + "]", a.Geometries()[i], b.Geometries()[i]);
  for (std::size_t i = 0; i < std::min(a.Surfaces().size(), b.Surfaces().size()); ++i) {
    const Surface &sa = a.Surfaces()[i], &sb = b.Surfaces()[i];
    const std::string at = "surfaces[" + std::to_string(i) + "]";
    d.Same(at + " geometry", sa.GetGeometryID(), sb.GetGeometryID());
    d.Same(at + " material", sa.GetMaterialID(), sb.GetMaterialID());
    d.Same(at + " texture count", sa.Textures.size(), sb.Textures.size());
    for (std::size_t t = 0; t < std::min(sa.Textures.size(), sb.Textures.size()); ++t) {
      const SurfaceTexture &ta = sa.Textures[t], &tb = sb.Textures[t];
      const std::string tt = at + ".textures[" + std::to_string(t) + "]";
      d.Same(tt + " ID", ta.GetTextureID(), tb.GetTextureID());
      d.Same(tt + " type", ta.GetTextureType(), tb.GetTextureType());
      d.Same(tt + " UV set", ta.GetUVSet(), tb.GetUVSet());
      d.Near(tt + " amount", ta.GetAmount(), tb.GetAmount(), 1);
      d.Near(tt + " matrix", ta.GetTextureMatrix(), tb.GetTextureMatrix(), 1);
    }
  }
  for (std::size_t i = 0; i < std::min(a.Materials().size(), b.Materials().size()); ++i) {
    const Material &ma = a.Materials()[i], &mb = b.Materials()[i];
    const std::string at = "materials[" + std::to_string(i) + "]";
    d.Same(at + " name", ma.GetName(), mb.GetName());
    d.Near(at + " diffuse", ma.GetDiffuse(), mb.GetDiffuse());
    d.Near(at + " emissive", ma.GetEmissive(), mb.GetEmissive());
    d.Near(at + " specular", ma.GetSpecular(), mb.GetSpecular());
    d.Near(at + " specular power", ma.GetSpecularPower(), mb.GetSpecularPower(), 1000);
    d.Near(at + " opacity", ma.GetOpacity(), mb.GetOpacity(), 1);
  }
  for (std::size_t i = 0; i < std::min(a.TexturePaths().size(), b.TexturePaths().size()); ++i)
    d.Same("texturePaths[" + std::to_string(i) + "]", a.TexturePaths()[i], b.TexturePaths()[i]);
  const auto &imagesA = a.Source().embeddedImages, &imagesB = b.Source().embeddedImages;
  d.Same("embedded image count", imagesA.size(), imagesB.size());
  for (std::size_t i = 0; i < std::min(imagesA.size(), imagesB.size()); ++i)
    d.Same("embeddedImages[" + std::to_string(i) + "]", imagesA[i], imagesB[i]);
  for (std::size_t i = 0; i < std::min(a.Cameras().size(), b.Cameras().size()); ++i) {
    const Camera &ca = a.Cameras()[i], &cb = b.Cameras()[i];
    const std::string at = "cameras[" + std::to_string(i) + "]";
    d.Same(at + " name", ca.GetName(), cb.GetName());
    d.Near(at + " offset", ca.GetOffsetTransform().GetMatrix(), cb.GetOffsetTransform().GetMatrix(), 1);
    d.Near(at + " fov x", ca.GetFovX(), cb.GetFovX(), 1);
    d.Near(at + " fov y", ca.GetFovY(), cb.GetFovY(), 1);
    d.Near(at + " near", ca.GetNearZ(), cb.GetNearZ(), std::fabs(ca.GetNearZ()));
    d.Near(at + " far", ca.GetFarZ(), cb.GetFarZ(), std::fabs(ca.GetFarZ()));
  }
  for (std::size_t i = 0; i < std::min(a.Lights().size(), b.Lights().size()); ++i) {
    const Light &la = a.Lights()[i], &lb = b.Lights()[i];
    const std::string at = "lights[" + std::to_string(i) + "]";
    d.Same(at + " name", la.GetName(), lb.GetName());
    d.Same(at + " type", static_cast<int>(la.GetType()), static_cast<int>(lb.GetType()));
    d.Near(at + " offset", la.GetOffsetTransform().GetMatrix(), lb.GetOffsetTransform().GetMatrix(), 1);
    d.Near(at + " diffuse", la.GetDiffuse(), lb.GetDiffuse());
    d.Near(at + " attenuation", la.GetAttenuation(), lb.GetAttenuation(), 1);
    d.Near(at + " range", la.GetRange(), lb.GetRange(), std::fabs(la.GetRange()));
    d.Near(at + " theta", la.GetTheta(), lb.GetTheta(), 1);
    d.Near(at + " phi", la.GetPhi(), lb.GetPhi(), 1);
    d.Same(at + " shadow cast", la.GetShadowCast(), lb.GetShadowCast());
    d.Near(at + " shadow density", la.GetShadowDensity(), lb.GetShadowDensity(), 1);
  }
  if (animations)
    for (std::size_t i = 0; i < std::min(a.Animations().size(), b.Animations().size()); ++i) {
      const Animation &aa = a.Animations()[i], &ab = b.Animations()[i];
      const std::string at = "animations[" + std::to_string(i) + "]";
      d.Same(at + " key count", aa.size(), ab.size());
      for (std::size_t k = 0; k < std::min(aa.size(), ab.size()) && !d.Full(); ++k) {
        const std::string kk = at + ".keys[" + std::to_string(k) + "]";
        d.Same(kk + " time", aa[k].GetTime(), ab[k].GetTime());
        d.Near(kk + " matrix", aa[k].GetKeyMatrix(), ab[k].GetKeyMatrix(), std::max(1.0, sceneScale));
      }
    }
  return std::move(d).Found();
}

}  // namespace Importing::Testing
