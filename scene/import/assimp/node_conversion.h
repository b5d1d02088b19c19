#pragma once

// Nodes of the Assimp tree as container nodes, with their user properties.

#include <string>
#include <vector>

#include "scene/scene_container.h"

struct aiMetadata;
struct aiNode;

namespace Importing::Import {

// Which importer's bookkeeping keys to leave out of a node's user properties.
enum class MetadataDialect { Generic, Fbx, Gltf };

// Flattens the tree below `root` in pre-order, depth first, into `nodes`
// (root first, so IDs follow the file's order) and returns the Assimp node
// behind each ID. Surfaces, cameras, lights and animations are attached later.
std::vector<const aiNode*> ConvertNodes(const aiNode& root, MetadataDialect dialect,
                                        std::vector<Node>& nodes);

// A node's user-properties text: an FBX node's non-empty "UserProperties"
// as it is, else one `key=value` line per metadata entry (nested entries as
// `outer.inner=value`) without the importer's own keys; empty when nothing
// is left.
std::string UserPropertiesText(const aiMetadata* metadata, MetadataDialect dialect);

}  // namespace Importing::Import
