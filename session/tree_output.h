#pragma once

#include <string>

#include "session/scene_tree.h"

namespace sci {

// The tree for a person: one line per node ("#2 Cup"), indented two blanks
// a level, its surfaces, cameras, lights and animation on indented lines
// below it. Names are shown with control characters escaped. Levels past
// the 32nd are not indented further but carry their level number.
std::string TreeText(const SceneTree& tree);

// The tree as a Graphviz graph: one box per node labelled with its ID, name
// and what it carries, an edge from each node to each child.
std::string TreeDot(const SceneTree& tree, const std::string& scenePath);

}  // namespace sci
