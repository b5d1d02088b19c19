#pragma once

// Record-by-record comparison of two imported scenes, for tests that hold
// two readers (or a file and its compressed twin) to the same answers.

#include <string>
#include <vector>

#include "scene/scene_container.h"

namespace Importing::Testing {

// The differences found, each naming the record ("geometries[3].vertices[7]
// position: (1, 2, 3) vs (1, 2, 4)"); at most `limit` of them. Numbers
// compare within 1e-6 x the largest magnitude of their kind in `a`
// (positions, UVs, matrices, ...); animations only when asked.
std::vector<std::string> Differences(const SceneContainer& a, const SceneContainer& b, bool animations = true,
                                     std::size_t limit = 20);

}  // namespace Importing::Testing
