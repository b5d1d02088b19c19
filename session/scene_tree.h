#pragma once

#include <string>
#include <vector>

#include "session/query_session.h"

// The scene's node tree as data, asked through the plug-in's channel with
// the same queries a user can run, and written as JSON, text or Graphviz.
namespace sci {

// One entry of a surface's texture list.
struct TreeTextureMap {
  int texture = -1;  // texture ID; -1 for an entry without a texture
  std::string type;  // "diffuse", "normals", ...
  float uvSet = 0;   // as the channel answers it (an unsigned value as float)
  float amount = 0;
};

struct TreeSurface {
  int id = -1;
  int geometry = -1;
  int material = -1;
  std::vector<TreeTextureMap> maps;
};

struct TreeCamera {
  int id = -1;
  std::string name;
};

struct TreeLight {
  int id = -1;
  int type = -1;  // the light-type answer; LightTypeName() names it
  std::string name;
};

struct TreeNode {
  int id = -1;
  std::string name;
  int animation = -1;          // animation ID; -1 when nothing drives the node
  std::vector<int> surfaces;   // surface IDs, in the node's order
  std::vector<TreeCamera> cameras;
  std::vector<TreeLight> lights;
  std::vector<int> children;   // indices into SceneTree::nodes
};

// The tree from the root node down. `nodes` is in pre-order: nodes[0] is the
// root, and a node's children follow it. Surfaces are held once by ID, as
// several nodes may share one.
struct SceneTree {
  std::vector<TreeNode> nodes;  // empty when the scene has no root node
  std::vector<TreeSurface> surfaces;  // by surface ID; id -1 for one no node carries
  std::vector<std::string> messages;  // what the channel showed while the tree was asked
};

// Asks the session's scene for its tree. A node reached twice (only a damaged
// scene could do that) is left out the second time, so the walk always ends.
// Works iteratively: a chain of any depth is fine.
SceneTree BuildSceneTree(QuerySession& session);

// Appends the root node as a JSON object:
//   {"id", "name", "animation" (ID or null), "surfaces": [{"id", "geometry",
//    "material", "maps": [{"texture" (ID or null), "type", "uv_set",
//    "amount"}]}], "cameras": [{"id", "name"}], "lights": [{"id", "name",
//    "type" (a name such as "spot")}], "children": [node, ...]}
// or null for a tree without nodes. Valid JSON whatever bytes the names
// hold (bytes that are not UTF-8 become U+FFFD). Written without recursion.
void AppendTreeJson(const SceneTree& tree, std::string& out);

// {"scene": scenePath, "tree": root}, on one line, without a line break.
std::string SceneTreeJson(const std::string& scenePath, const SceneTree& tree);

}  // namespace sci
