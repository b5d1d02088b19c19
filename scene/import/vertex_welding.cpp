#include "scene/import/vertex_welding.h"

#include <assimp/mesh.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

namespace Importing::Import {

namespace {

// Two values of a vertex stream closer than this count as the same: the
// exporters of corner-per-vertex formats compute a shared corner's normal
// once per face, and the copies differ in their last bits.
constexpr float kTolerance = 1e-5f;
constexpr float kToleranceSquared = kTolerance * kTolerance;

float DistanceSquared(const D3DXVECTOR3& a, const D3DXVECTOR3& b) {
  const float x = a.x - b.x, y = a.y - b.y, z = a.z - b.z;
  return x * x + y * y + z * z;
}

bool IsFinite(const D3DXVECTOR3& p) { return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z); }

// Whether `a` (at `pa`) and `b` (at `pb`) agree in every stream within the tolerance.
bool Same(const Vertex& a, const D3DXVECTOR3& pa, const Vertex& b, const D3DXVECTOR3& pb) {
  if (!(DistanceSquared(pa, pb) <= kToleranceSquared)) return false;
  if (!(DistanceSquared(a.GetNormal(), b.GetNormal()) <= kToleranceSquared)) return false;
  if (a.GetUVSetCount() != b.GetUVSetCount()) return false;
  for (std::size_t set = 0; set < a.GetUVSetCount(); ++set) {
    const D3DXVECTOR2 u = a.GetUV(set), v = b.GetUV(set);
    const float du = u.x - v.x, dv = u.y - v.y;
    if (!(du * du + dv * dv <= kToleranceSquared)) return false;
  }
  return true;
}

// Survivors filed by the grid cell of their position, so that a vertex is
// compared only with survivors in the cells its tolerance reaches.
class Grid {
 public:
  Grid(const std::vector<D3DXVECTOR3>& positions) : next_(positions.size(), kNone) {
    D3DXVECTOR3 lo{}, hi{};
    bool any = false;
    for (const D3DXVECTOR3& p : positions) {
      if (!IsFinite(p)) continue;
      lo = any ? D3DXVECTOR3{std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z)} : p;
      hi = any ? D3DXVECTOR3{std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z)} : p;
      any = true;
    }
    // About one vertex per cell on a surface, and never less than four
    // tolerances, so that a tolerance reaches at most two cells per axis.
    const double diagonal = std::sqrt(static_cast<double>(DistanceSquared(lo, hi)));
    cell_ = std::max(4.0 * kTolerance, diagonal / std::cbrt(static_cast<double>(positions.size())));
    if (!std::isfinite(cell_)) cell_ = std::numeric_limits<double>::max();
    std::size_t slots = 2;
    while (slots < 2 * positions.size()) slots *= 2;
    head_.assign(slots, kNone);
  }

  // The latest filed survivor for which `same` holds, or kNone.
  template <class SameAs>
  std::uint32_t Find(const D3DXVECTOR3& p, SameAs same) const {
    std::uint32_t found = kNone;
    const std::int64_t lo[3] = {Cell(p.x - kTolerance), Cell(p.y - kTolerance), Cell(p.z - kTolerance)};
    const std::int64_t hi[3] = {Cell(p.x + kTolerance), Cell(p.y + kTolerance), Cell(p.z + kTolerance)};
    for (std::int64_t x = lo[0]; x <= hi[0]; ++x)
      for (std::int64_t y = lo[1]; y <= hi[1]; ++y)
        for (std::int64_t z = lo[2]; z <= hi[2]; ++z)
          for (std::uint32_t s = head_[Slot(x, y, z)]; s != kNone; s = next_[s])
            if ((found == kNone || s > found) && same(s)) found = s;
    return found;
  }

  void Add(std::uint32_t vertex, const D3DXVECTOR3& p) {
    const std::size_t slot = Slot(Cell(p.x), Cell(p.y), Cell(p.z));
    next_[vertex] = head_[slot];
    head_[slot] = vertex;
  }

  static constexpr std::uint32_t kNone = UINT32_MAX;

 private:
  std::int64_t Cell(float v) const {
    constexpr double kLimit = 4.0e18;  // within int64, far beyond any real scene
    return static_cast<std::int64_t>(std::clamp(std::floor(static_cast<double>(v) / cell_), -kLimit, kLimit));
  }
  std::size_t Slot(std::int64_t x, std::int64_t y, std::int64_t z) const {
    std::uint64_t h = static_cast<std::uint64_t>(x) * 0x9E3779B97F4A7C15ULL;
    h = (h ^ static_cast<std::uint64_t>(y)) * 0xBF58476D1CE4E5B9ULL;
    h = (h ^ static_cast<std::uint64_t>(z)) * 0x94D049BB133111EBULL;
    return static_cast<std::size_t>(h ^ (h >> 32)) & (head_.size() - 1);
  }

  double cell_ = 1;
  std::vector<std::uint32_t> head_;  // per slot: the last survivor filed there
  std::vector<std::uint32_t> next_;  // per survivor: the one filed before it in its slot
};

}  // namespace

bool HasOneVertexPerCorner(const aiMesh& mesh) {
  std::size_t next = 0;
  for (unsigned f = 0; f < mesh.mNumFaces; ++f) {
    const aiFace& face = mesh.mFaces[f];
    for (unsigned k = 0; k < face.mNumIndices; ++k, ++next)
      if (face.mIndices[k] != next) return false;
  }
  return next == mesh.mNumVertices;
}

void WeldIdenticalVertices(Geometry& geometry) {
  std::vector<Vertex>& vertices = geometry.Vertices;
  const std::size_t count = vertices.size();
  if (count < 2 || count >= Grid::kNone) return;

  std::vector<D3DXVECTOR3> positions(count);
  for (std::size_t i = 0; i < count; ++i) positions[i] = vertices[i].GetPosition();
  Grid grid(positions);
  std::vector<std::uint32_t> survivorOf(count);  // per vertex: its survivor's new index
  std::vector<std::uint32_t> survivors;          // old indices of the survivors, in order
  for (std::uint32_t i = 0; i < count; ++i) {
    const D3DXVECTOR3& p = positions[i];
    // A position that is not finite is never the same as another.
    const std::uint32_t first = IsFinite(p) ? grid.Find(p, [&](std::uint32_t s) {
      return Same(vertices[i], p, vertices[s], positions[s]);
    }) : Grid::kNone;
    if (first != Grid::kNone) {
      survivorOf[i] = survivorOf[first];
      continue;
    }
    survivorOf[i] = static_cast<std::uint32_t>(survivors.size());
    survivors.push_back(i);
    if (IsFinite(p)) grid.Add(i, p);
  }
  if (survivors.size() == count) return;

  std::vector<Vertex> welded;
  welded.reserve(survivors.size());
  for (const std::uint32_t old : survivors) welded.push_back(vertices[old]);
  vertices.swap(welded);
  for (std::uint32_t& index : geometry.Indices)
    if (index < count) index = survivorOf[index];
}

}  // namespace Importing::Import
