#include "scene/import/vertex_welding.h"

#include <assimp/mesh.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
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

// Whether two vertices with the same number of UV sets agree in each within the tolerance.
bool SameUVs(const Vertex& a, const Vertex& b) {
  for (std::size_t set = 0; set < a.GetUVSetCount(); ++set) {
    const D3DXVECTOR2 u = a.GetUV(set), v = b.GetUV(set);
    const float du = u.x - v.x, dv = u.y - v.y;
    if (!(du * du + dv * dv <= kToleranceSquared)) return false;
  }
  return true;
}

// The kept vertices, filed by the grid cell of their position, so that a
// vertex is compared only with those in the cells its tolerance reaches.
// Each keeps a copy of its position and normal: the search then reads one
// small array instead of the vertices themselves.
class Grid {
 public:
  static constexpr std::uint32_t kNone = UINT32_MAX;

  struct Survivor {
    D3DXVECTOR3 position, normal;
    std::uint32_t uvSets;
    std::uint32_t vertex;  // its index before welding
    std::uint32_t next;    // the survivor filed before it in the same slot
  };

  explicit Grid(const std::vector<Vertex>& vertices) {
    D3DXVECTOR3 lo{}, hi{};
    bool any = false;
    for (const Vertex& v : vertices) {
      const D3DXVECTOR3 p = v.GetPosition();
      if (!IsFinite(p)) continue;
      lo = any ? D3DXVECTOR3{std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z)} : p;
      hi = any ? D3DXVECTOR3{std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z)} : p;
      any = true;
    }
    // About one vertex per cell on a surface, and never less than four
    // tolerances, so that a tolerance reaches at most two cells per axis.
    const double dx = static_cast<double>(hi.x) - lo.x, dy = static_cast<double>(hi.y) - lo.y,
                 dz = static_cast<double>(hi.z) - lo.z;  // in double: finite floats never overflow it
    const double diagonal = std::sqrt(dx * dx + dy * dy + dz * dz);
    const double cell = std::max(4.0 * kTolerance, diagonal / std::sqrt(static_cast<double>(vertices.size())));
    inverseCell_ = 1.0 / cell;
    std::size_t slots = 64;
    while (slots < vertices.size()) slots *= 2;
    head_.assign(slots, kNone);
  }

  // The latest survivor whose position, normal and UV sets are within the
  // tolerance of `vertex`'s, or kNone.
  std::uint32_t Find(const Vertex& vertex, const D3DXVECTOR3& p, const std::vector<Vertex>& vertices) const {
    const D3DXVECTOR3 normal = vertex.GetNormal();
    const auto uvSets = static_cast<std::uint32_t>(vertex.GetUVSetCount());
    std::uint32_t found = kNone;
    const std::int64_t lo[3] = {Cell(p.x - kTolerance), Cell(p.y - kTolerance), Cell(p.z - kTolerance)};
    const std::int64_t hi[3] = {Cell(p.x + kTolerance), Cell(p.y + kTolerance), Cell(p.z + kTolerance)};
    for (std::int64_t x = lo[0]; x <= hi[0]; ++x)
      for (std::int64_t y = lo[1]; y <= hi[1]; ++y)
        for (std::int64_t z = lo[2]; z <= hi[2]; ++z)
          for (std::uint32_t s = head_[Slot(x, y, z)]; s != kNone; s = survivors_[s].next) {
            const Survivor& candidate = survivors_[s];
            if ((found == kNone || s > found) && DistanceSquared(candidate.position, p) <= kToleranceSquared &&
                DistanceSquared(candidate.normal, normal) <= kToleranceSquared && candidate.uvSets == uvSets &&
                (uvSets == 0 || SameUVs(vertices[candidate.vertex], vertex)))
              found = s;
          }
    return found;
  }

  // Files `vertex` as the next survivor; returns its number.
  std::uint32_t Add(const Vertex& vertex, std::uint32_t index, const D3DXVECTOR3& p) {
    const auto number = static_cast<std::uint32_t>(survivors_.size());
    const auto uvSets = static_cast<std::uint32_t>(vertex.GetUVSetCount());
    if (!IsFinite(p)) {  // never the same as another: kept, but not filed
      survivors_.push_back({p, vertex.GetNormal(), uvSets, index, kNone});
      return number;
    }
    std::uint32_t& head = head_[Slot(Cell(p.x), Cell(p.y), Cell(p.z))];
    survivors_.push_back({p, vertex.GetNormal(), uvSets, index, head});
    head = number;
    return number;
  }

  const std::vector<Survivor>& Survivors() const { return survivors_; }

 private:
  // floor(v / cell), by a multiplication and a truncation: a division and a
  // call to floor for each of six bounds would cost more than the search.
  std::int64_t Cell(float v) const {
    constexpr double kLimit = 4.0e18;  // within int64, far beyond any real scene
    const double scaled = std::clamp(static_cast<double>(v) * inverseCell_, -kLimit, kLimit);
    const auto truncated = static_cast<std::int64_t>(scaled);
    return truncated - (scaled < static_cast<double>(truncated) ? 1 : 0);
  }
  // Cells are hashed in blocks of 4 x 4 x 4 whose slots lie together, so
  // that the neighbouring faces of a mesh mostly meet slots already cached.
  std::size_t Slot(std::int64_t x, std::int64_t y, std::int64_t z) const {
    std::uint64_t h = static_cast<std::uint64_t>(x >> 2) * 0x9E3779B97F4A7C15ULL;
    h = (h ^ static_cast<std::uint64_t>(y >> 2)) * 0xBF58476D1CE4E5B9ULL;
    h = (h ^ static_cast<std::uint64_t>(z >> 2)) * 0x94D049BB133111EBULL;
    const std::size_t block = static_cast<std::size_t>(h ^ (h >> 32)) & (head_.size() / 64 - 1);
    return block * 64 + static_cast<std::size_t>((x & 3) | (y & 3) << 2 | (z & 3) << 4);
  }

  double inverseCell_ = 1;
  std::vector<std::uint32_t> head_;  // per slot: the last survivor filed there
  std::vector<Survivor> survivors_;
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

  Grid grid(vertices);
  std::vector<std::uint32_t> survivorOf(count);  // per vertex: its survivor's number, its new index
  for (std::uint32_t i = 0; i < count; ++i) {
    const D3DXVECTOR3 p = vertices[i].GetPosition();
    const std::uint32_t same = IsFinite(p) ? grid.Find(vertices[i], p, vertices) : Grid::kNone;
    survivorOf[i] = same != Grid::kNone ? same : grid.Add(vertices[i], i, p);
  }
  if (grid.Survivors().size() == count) return;

  std::vector<Vertex> welded;
  welded.reserve(grid.Survivors().size());
  for (const Grid::Survivor& survivor : grid.Survivors()) welded.push_back(vertices[survivor.vertex]);
  vertices.swap(welded);
  for (std::uint32_t& index : geometry.Indices)
    if (index < count) index = survivorOf[index];
}

}  // namespace Importing::Import
