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

// The kept vertices, filed by the grid cell of their position, so that a
// vertex is compared only with those in the cells its tolerance reaches.
// Each keeps a copy of its position and normal: the search then reads one
// small array instead of the streams.
class Grid {
 public:
  static constexpr std::uint32_t kNone = UINT32_MAX;

  struct Survivor {
    D3DXVECTOR3 position, normal;
    std::uint32_t uvSets;
    std::uint32_t vertex;  // its index before welding
    std::uint32_t next;    // the survivor filed before it in the same slot
  };

  explicit Grid(const WeldStreams& streams) : streams_(streams) {
    D3DXVECTOR3 lo{}, hi{};
    bool any = false;
    for (std::size_t i = 0; i < streams.count; ++i) {
      const D3DXVECTOR3 p = streams.Position(i);
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
    const double cell = std::max(4.0 * kTolerance, diagonal / std::sqrt(static_cast<double>(streams.count)));
    inverseCell_ = 1.0 / cell;
    std::size_t slots = 64;
    while (slots < streams.count) slots *= 2;
    head_.assign(slots, kNone);
  }

  // The latest survivor whose position, normal and UV sets are within the
  // tolerance of vertex `i`'s (at `p`), or kNone.
  std::uint32_t Find(std::size_t i, const D3DXVECTOR3& p) const {
    const D3DXVECTOR3 normal = streams_.Normal(i);
    const auto uvSets = static_cast<std::uint32_t>(streams_.UVSets(i));
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
                SameUVs(candidate.vertex, i, uvSets))
              found = s;
          }
    return found;
  }

  // Files vertex `i` (at `p`) as the next survivor; returns its number.
  std::uint32_t Add(std::uint32_t i, const D3DXVECTOR3& p) {
    const auto number = static_cast<std::uint32_t>(survivors_.size());
    const auto uvSets = static_cast<std::uint32_t>(streams_.UVSets(i));
    if (!IsFinite(p)) {  // never the same as another: kept, but not filed
      survivors_.push_back({p, streams_.Normal(i), uvSets, i, kNone});
      return number;
    }
    std::uint32_t& head = head_[Slot(Cell(p.x), Cell(p.y), Cell(p.z))];
    survivors_.push_back({p, streams_.Normal(i), uvSets, i, head});
    head = number;
    return number;
  }

  const std::vector<Survivor>& Survivors() const { return survivors_; }

 private:
  // Whether vertices `a` and `b` agree in their first `sets` UV sets within the tolerance.
  bool SameUVs(std::size_t a, std::size_t b, std::size_t sets) const {
    for (std::size_t set = 0; set < sets; ++set) {
      const D3DXVECTOR2 u = streams_.UV(a, set), v = streams_.UV(b, set);
      const float du = u.x - v.x, dv = u.y - v.y;
      if (!(du * du + dv * dv <= kToleranceSquared)) return false;
    }
    return true;
  }
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

  const WeldStreams& streams_;
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

std::size_t WeldMap(const WeldStreams& streams, std::vector<std::uint32_t>& survivorOf,
                   std::vector<std::uint32_t>& survivors) {
  survivorOf.clear();
  survivors.clear();
  if (streams.count < 2 || streams.count >= Grid::kNone) return streams.count;
  Grid grid(streams);
  survivorOf.resize(streams.count);
  for (std::uint32_t i = 0; i < streams.count; ++i) {
    const D3DXVECTOR3 p = streams.Position(i);
    const std::uint32_t same = IsFinite(p) ? grid.Find(i, p) : Grid::kNone;
    survivorOf[i] = same != Grid::kNone ? same : grid.Add(i, p);
  }
  if (grid.Survivors().size() == streams.count) {
    survivorOf.clear();
    return streams.count;
  }
  survivors.reserve(grid.Survivors().size());
  for (const Grid::Survivor& survivor : grid.Survivors()) survivors.push_back(survivor.vertex);
  return survivors.size();
}

void WeldIdenticalVertices(Geometry& geometry) {
  std::vector<Vertex>& vertices = geometry.Vertices;
  const std::size_t count = vertices.size();
  if (count < 2) return;
  // The streams packed from the records, which welding would otherwise read through their accessors.
  std::vector<float> positions(3 * count), normals(3 * count), uvs;
  std::vector<std::uint8_t> uvCounts(count);
  std::size_t uvSets = 0;
  for (const Vertex& vertex : vertices) uvSets = std::max<std::size_t>(uvSets, vertex.GetUVSetCount());
  uvs.resize(2 * uvSets * count);
  for (std::size_t i = 0; i < count; ++i) {
    const Vertex& vertex = vertices[i];
    const D3DXVECTOR3 p = vertex.GetPosition(), n = vertex.GetNormal();
    std::copy_n(&p.x, 3, &positions[3 * i]);
    std::copy_n(&n.x, 3, &normals[3 * i]);
    uvCounts[i] = static_cast<std::uint8_t>(vertex.GetUVSetCount());
    for (std::size_t set = 0; set < uvCounts[i]; ++set) {
      const D3DXVECTOR2 uv = vertex.GetUV(set);
      uvs[2 * (set * count + i)] = uv.x;
      uvs[2 * (set * count + i) + 1] = uv.y;
    }
  }
  WeldStreams streams;
  streams.count = count;
  streams.positions = positions.data();
  streams.normals = normals.data();
  streams.uvSets = uvSets;
  for (std::size_t set = 0; set < uvSets; ++set) streams.uvs[set] = &uvs[2 * set * count];
  streams.uvCounts = uvCounts.data();
  std::vector<std::uint32_t> survivorOf, survivors;
  if (WeldMap(streams, survivorOf, survivors) == count) return;

  std::vector<Vertex> welded;
  welded.reserve(survivors.size());
  for (const std::uint32_t survivor : survivors) welded.push_back(vertices[survivor]);
  vertices.swap(welded);
  for (std::uint32_t& index : geometry.Indices)
    if (index < count) index = survivorOf[index];
}

}  // namespace Importing::Import
