#include "scene/scene_container.h"

#include <algorithm>
#include <limits>

namespace Importing {

D3DXMATRIX Multiply(const D3DXMATRIX& a, const D3DXMATRIX& b) {
  D3DXMATRIX product;
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) {
      float sum = 0;
      for (int k = 0; k < 4; ++k) sum += a.m[r][k] * b.m[k][c];
      product.m[r][c] = sum;
    }
  return product;
}

D3DXVECTOR3 TransformPoint(const D3DXVECTOR3& p, const D3DXMATRIX& m) {
  return {p.x * m.m[0][0] + p.y * m.m[1][0] + p.z * m.m[2][0] + m.m[3][0],
          p.x * m.m[0][1] + p.y * m.m[1][1] + p.z * m.m[2][1] + m.m[3][1],
          p.x * m.m[0][2] + p.y * m.m[1][2] + p.z * m.m[2][2] + m.m[3][2]};
}

SceneContainer::SceneContainer() : Orv_Channel(kKind) {}
SceneContainer::~SceneContainer() = default;

void SceneContainer::Fill(SceneData data) {
  data_ = std::move(data);
  nodeIDsByName_.clear();
  nameIndexBuilt_ = false;
  RebuildDerivedData();
}

void SceneContainer::FillStored(SceneData data, SceneDerivedData derived) {
  data_ = std::move(data);
  derived_ = std::move(derived);
  nodeIDsByName_.clear();
  nameIndexBuilt_ = false;
}

void SceneContainer::Release(SceneData& data, SceneDerivedData& derived) {
  data = std::move(data_);
  derived = std::move(derived_);
  data_ = SceneData();
  derived_ = SceneDerivedData();
  nodeIDsByName_.clear();
  nameIndexBuilt_ = false;
}

void SceneContainer::Swap(SceneContainer& other) noexcept {
  std::swap(data_, other.data_);
  std::swap(derived_, other.derived_);
  std::swap(nodeIDsByName_, other.nodeIDsByName_);
  std::swap(nameIndexBuilt_, other.nameIndexBuilt_);
}

int SceneContainer::GetRootNodeID() const { return data_.rootNodeID; }

int SceneContainer::FindNodeID(const std::string& name) const {
  if (!nameIndexBuilt_) {
    nodeIDsByName_.reserve(data_.nodes.size());
    for (std::size_t id = 0; id < data_.nodes.size(); ++id)
      nodeIDsByName_.emplace(data_.nodes[id].GetName(), static_cast<int>(id));  // keeps the lowest ID
    nameIndexBuilt_ = true;
  }
  const auto found = nodeIDsByName_.find(name);
  return found == nodeIDsByName_.end() ? -1 : found->second;
}

int SceneContainer::GetParentID(int node) const {
  if (node < 0 || static_cast<std::size_t>(node) >= derived_.parents.size()) return -1;
  return derived_.parents[static_cast<std::size_t>(node)];
}

D3DXMATRIX SceneContainer::GetGlobalTransform(int node) const {
  if (node < 0 || static_cast<std::size_t>(node) >= derived_.globals.size()) return Transform::Indentity;
  return derived_.globals[static_cast<std::size_t>(node)];
}

void SceneContainer::GetBoundingBox(D3DXVECTOR3& min, D3DXVECTOR3& max) const {
  min = derived_.boxMin;
  max = derived_.boxMax;
}

void SceneContainer::RebuildDerivedData() {
  const std::size_t count = data_.nodes.size();

  std::vector<int>& parents = derived_.parents;
  std::vector<D3DXMATRIX>& globals = derived_.globals;
  // The first node (lowest ID) that lists a node is its parent; the root has none.
  parents.assign(count, -1);
  for (std::size_t id = 0; id < count; ++id)
    for (const int child : data_.nodes[id].ChildIDs)
      if (child >= 0 && static_cast<std::size_t>(child) < count && child != data_.rootNodeID &&
          parents[static_cast<std::size_t>(child)] < 0)
        parents[static_cast<std::size_t>(child)] = static_cast<int>(id);

  // Global = local x parent's global. Each node's chain of unresolved
  // ancestors is walked up once and resolved on the way down; a chain that
  // comes back to itself (a cycle) is cut where it would repeat.
  globals.assign(count, D3DXMATRIX());
  std::vector<char> state(count, 0);  // 0 unresolved, 1 on the current chain, 2 resolved
  std::vector<std::size_t> chain;
  for (std::size_t start = 0; start < count; ++start) {
    chain.clear();
    std::size_t node = start;
    while (state[node] == 0) {
      state[node] = 1;
      chain.push_back(node);
      const int parent = parents[node];
      if (parent < 0) break;
      node = static_cast<std::size_t>(parent);
    }
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
      const int parent = parents[*it];
      const D3DXMATRIX& local = data_.nodes[*it].LocalMatrix();
      const bool parentReady = parent >= 0 && state[static_cast<std::size_t>(parent)] == 2;
      globals[*it] = parentReady ? Multiply(local, globals[static_cast<std::size_t>(parent)]) : local;
      state[*it] = 2;
    }
  }

  // The scene box: every vertex of each listed surface's geometry, placed by
  // the global matrix of the node that lists it.
  constexpr float kInf = std::numeric_limits<float>::infinity();
  D3DXVECTOR3 lo{kInf, kInf, kInf}, hi{-kInf, -kInf, -kInf};
  bool any = false;
  for (std::size_t id = 0; id < count; ++id) {
    for (const std::uint32_t surfaceID : data_.nodes[id].SurfaceIDs) {
      if (surfaceID >= data_.surfaces.size()) continue;
      const int geometryID = data_.surfaces[surfaceID].GetGeometryID();
      if (geometryID < 0 || static_cast<std::size_t>(geometryID) >= data_.geometries.size()) continue;
      for (const Vertex& vertex : data_.geometries[static_cast<std::size_t>(geometryID)].Vertices) {
        const D3DXVECTOR3 p = TransformPoint(vertex.GetPosition(), globals[id]);
        lo = {std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z)};
        hi = {std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z)};
        any = true;
      }
    }
  }
  derived_.boxMin = any ? lo : D3DXVECTOR3{};
  derived_.boxMax = any ? hi : D3DXVECTOR3{};
}

}  // namespace Importing
