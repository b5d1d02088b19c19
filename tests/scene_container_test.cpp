#include <gtest/gtest.h>

#include <cmath>

#include "scene/scene_builder.h"
#include "scene/scene_container.h"
#include "test_matrices.h"

using namespace Importing;

namespace {

Geometry UnitSegment() {
  Geometry g(2);
  g.Vertices = {Vertex({0, 0, 0}, {}), Vertex({1, 1, 1}, {})};
  return g;
}

}  // namespace

TEST(SceneContainer, GlobalMatricesComposeLocalThenParent) {
  SceneBuilder b;
  const int root = b.AddNode("root", -1, Scale(2));
  const int child = b.AddNode("child", root, Translation(1, 0, 0));
  const int grandchild = b.AddNode("grandchild", child, Translation(0, 1, 0));
  SceneContainer scene;
  b.FillInto(scene);
  // Row vectors: the child's offset is scaled by its parent's scale.
  EXPECT_EQ(scene.GetGlobalTransform(child), Multiply(Translation(1, 0, 0), Scale(2)));
  EXPECT_EQ(TransformPoint({0, 0, 0}, scene.GetGlobalTransform(grandchild)), (D3DXVECTOR3{2, 2, 0}));
  EXPECT_EQ(scene.GetGlobalTransform(99), D3DXMATRIX());
  EXPECT_EQ(scene.GetParentID(grandchild), child);
  EXPECT_EQ(scene.GetParentID(root), -1);
  EXPECT_EQ(scene.GetParentID(-5), -1);
}

TEST(SceneContainer, NameLookupPrefersTheLowestIdAndFollowsRefills) {
  SceneBuilder b;
  const int root = b.AddNode("twin");
  b.AddNode("other", root);
  b.AddNode("twin", root);
  SceneContainer scene;
  b.FillInto(scene);
  EXPECT_EQ(scene.FindNodeID("twin"), 0);
  EXPECT_EQ(scene.FindNodeID("other"), 1);
  EXPECT_EQ(scene.FindNodeID("Twin"), -1);

  SceneBuilder next;
  next.AddNode("fresh");
  next.FillInto(scene);
  EXPECT_EQ(scene.FindNodeID("other"), -1);
  EXPECT_EQ(scene.FindNodeID("fresh"), 0);
}

TEST(SceneContainer, SceneBoxCoversEveryPlacedSurface) {
  SceneBuilder b;
  const int root = b.AddNode("root");
  const int moved = b.AddNode("moved", root, Translation(10, 0, 0));
  const int geometry = b.AddGeometry(UnitSegment());
  const int material = b.AddMaterial(Material("m"));
  const int surface = b.AddSurface(root, geometry, material);
  b.Data().nodes[static_cast<std::size_t>(moved)].SurfaceIDs.push_back(static_cast<std::uint32_t>(surface));
  b.AddSurface(-1, b.AddGeometry(UnitSegment()), material);  // listed by no node: not in the box
  b.Data().geometries[1].Vertices[1] = Vertex({-50, -50, -50}, {});
  SceneContainer scene;
  b.FillInto(scene);
  D3DXVECTOR3 min, max;
  scene.GetBoundingBox(min, max);
  EXPECT_EQ(min, (D3DXVECTOR3{0, 0, 0}));
  EXPECT_EQ(max, (D3DXVECTOR3{11, 1, 1}));
}

TEST(SceneContainer, BrokenTreesStillGiveAnswers) {
  SceneBuilder b;
  b.AddNode("root");
  b.AddNode("a", -1, Translation(1, 0, 0));
  b.AddNode("b", -1, Translation(0, 1, 0));
  auto& nodes = b.Data().nodes;
  nodes[1].ChildIDs = {2, 77, -3};  // a and b list each other: a cycle off the tree
  nodes[2].ChildIDs = {1};
  nodes[0].SurfaceIDs = {5};        // a surface that does not exist
  SceneContainer scene;
  b.FillInto(scene);
  EXPECT_EQ(scene.GetParentID(1), 2);
  EXPECT_EQ(scene.GetParentID(2), 1);
  // The composition stops where the cycle would repeat a node.
  EXPECT_EQ(scene.GetGlobalTransform(1), Translation(1, 1, 0));
  EXPECT_EQ(scene.GetGlobalTransform(2), Translation(0, 1, 0));
  D3DXVECTOR3 min, max;
  scene.GetBoundingBox(min, max);
  EXPECT_EQ(min, D3DXVECTOR3{});
  EXPECT_EQ(max, D3DXVECTOR3{});
}

TEST(SceneContainer, KeyMatrixIsScaleThenRotationThenTranslation) {
  // A quarter turn about z: x goes to y in the row-vector convention.
  const float h = std::sqrt(0.5f);
  const Key key(2400, {5, 6, 7}, {0, 0, h, h}, {2, 2, 2});
  const D3DXVECTOR3 p = TransformPoint({1, 0, 0}, key.GetKeyMatrix());
  EXPECT_NEAR(p.x, 5, 1e-5);
  EXPECT_NEAR(p.y, 8, 1e-5);
  EXPECT_NEAR(p.z, 7, 1e-5);
}
