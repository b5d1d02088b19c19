#pragma once

// Record-by-record comparison of two imported scenes, for tests that hold
// two readers (or a file and its compressed twin) to the same answers.

#include <string>
#include <vector>

#include "scene/scene_container.h"

namespace Importing::Testing {

struct Comparison {
  // Numbers compare within tolerance x the largest magnitude of their kind
  // in the first scene (positions, UVs, matrices, ...); 0: exactly.
  double tolerance = 1e-6;
  bool vertices = true;     // compare each vertex and index, not only counts and boxes
  bool animations = true;
  bool notes = true;
};

// The differences found, each naming the record ("geometries[3].vertices[7]
// position: (1, 2, 3) vs (1, 2, 4)"); at most `limit` of them.
std::vector<std::string> Differences(const SceneContainer& a, const SceneContainer& b, const Comparison& how,
                                     std::size_t limit = 20);

}  // namespace Importing::Testing
