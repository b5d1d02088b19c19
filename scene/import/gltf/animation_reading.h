#pragma once

// A glTF animation as key lists, one per node it moves: its translation,
// rotation and scale samplers merged (a path without a sampler held at the
// node's own value), times in the Assimp route's milliseconds, cubic
// splines read at their values.

#include <cstddef>
#include <functional>
#include <vector>

#include "scene/import/gltf/document.h"
#include "scene/records.h"

namespace Importing::Import::Gltf {

struct NodeTrack {
  std::size_t node = 0;  // file index of the node
  Animation keys;
};

// `retrievalIndex` gives the Assimp route's number of a node (the order in
// which its reader first meets nodes), which decides the order of tracks.
std::vector<NodeTrack> ReadAnimation(const Document& document, const JsonValue& animation,
                                     const std::function<unsigned(std::size_t)>& retrievalIndex);

}  // namespace Importing::Import::Gltf
