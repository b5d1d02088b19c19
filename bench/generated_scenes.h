#pragma once

#include <string>

#include "scene/scene_builder.h"

// Scenes generated for benchmarks: a balanced tree of `nodeCount` nodes
// (eight children each), named "node<ID>", each node with one surface.
inline Importing::SceneBuilder GeneratedTree(int nodeCount) {
  Importing::SceneBuilder b;
  const int geometry = b.AddGeometry(Importing::Geometry(3));
  const int material = b.AddMaterial(Importing::Material("material"));
  for (int id = 0; id < nodeCount; ++id) {
    b.AddNode("node" + std::to_string(id), id == 0 ? -1 : (id - 1) / 8);
    b.AddSurface(id, geometry, material);
  }
  return b;
}
