#pragma once

#include <cstddef>

namespace Importing::xml {

// Levels below its starting node that the scene hierarchy text holds; deeper
// nodes are left out. Every line of a node is indented by its depth, so a
// long chain of nodes would make the text grow with the square of its
// length; no real scene comes near this depth.
inline constexpr std::size_t kMaxHierarchyLevels = 1000;

}  // namespace Importing::xml
