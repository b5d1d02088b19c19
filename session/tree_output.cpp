#include "session/tree_output.h"

#include <algorithm>
#include <functional>
#include <utility>
#include <vector>

#include "session/printable.h"
#include "session/value_text.h"

namespace sci {

namespace {

constexpr std::size_t kMaxIndentLevels = 32;

// Visits the nodes in pre-order with their level, without recursion.
void Walk(const SceneTree& tree, const std::function<void(const TreeNode&, std::size_t level)>& visit) {
  if (tree.nodes.empty()) return;
  std::vector<std::pair<std::size_t, std::size_t>> stack{{0, 0}};  // node index, level
  while (!stack.empty()) {
    const auto [index, level] = stack.back();
    stack.pop_back();
    const TreeNode& node = tree.nodes[index];
    visit(node, level);
    for (auto child = node.children.rbegin(); child != node.children.rend(); ++child)
      stack.emplace_back(static_cast<std::size_t>(*child), level + 1);
  }
}

// "surface 3: geometry 3, material 1; diffuse texture 0 (UV set 0, amount 1)"
std::string SurfaceLine(const SceneTree& tree, int id) {
  std::string line = "surface " + std::to_string(id);
  if (id < 0 || id >= static_cast<int>(tree.surfaces.size())) return line;
  const TreeSurface& surface = tree.surfaces[id];
  line += ": geometry " + std::to_string(surface.geometry) + ", material " + std::to_string(surface.material);
  for (const TreeTextureMap& map : surface.maps) {
    line += "; ";
    AppendPrintable(line, map.type);
    line += map.texture < 0 ? std::string(" (no texture)") : " texture " + std::to_string(map.texture);
    line += " (UV set ";
    AppendNumber(line, map.uvSet);
    line += ", amount ";
    AppendNumber(line, map.amount);
    line += ')';
  }
  return line;
}

// What a node carries, one item a line.
std::vector<std::string> Items(const SceneTree& tree, const TreeNode& node) {
  std::vector<std::string> items;
  for (int surface : node.surfaces) items.push_back(SurfaceLine(tree, surface));
  for (const TreeCamera& camera : node.cameras) items.push_back("camera " + std::to_string(camera.id) + ": " + Printable(camera.name));
  for (const TreeLight& light : node.lights)
    items.push_back("light " + std::to_string(light.id) + ": " + LightTypeName(light.type) + ", " + Printable(light.name));
  if (node.animation >= 0) items.push_back("animation " + std::to_string(node.animation));
  return items;
}

// A DOT string's content: quotes and backslashes escaped, `\l` ends a line.
void AppendDotText(std::string& out, const std::string& text) {
  for (char c : Printable(text)) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
}

}  // namespace

std::string TreeText(const SceneTree& tree) {
  std::string text;
  Walk(tree, [&](const TreeNode& node, std::size_t level) {
    const std::size_t indent = 2 * std::min(level, kMaxIndentLevels);
    text.append(indent, ' ');
    if (level > kMaxIndentLevels) text += "(level " + std::to_string(level) + ") ";
    text += '#' + std::to_string(node.id) + ' ';
    AppendPrintable(text, node.name);
    text += '\n';
    for (const std::string& item : Items(tree, node)) text.append(indent + 4, ' ').append(item) += '\n';
  });
  return text;
}

std::string TreeDot(const SceneTree& tree, const std::string& scenePath) {
  std::string dot = "digraph scene {\n  graph [rankdir=LR, label=\"";
  AppendDotText(dot, scenePath);
  dot += "\", labelloc=t];\n  node [shape=box, fontname=\"Helvetica\", fontsize=10];\n";
  std::string edges;
  Walk(tree, [&](const TreeNode& node, std::size_t) {
    const std::string name = "n" + std::to_string(node.id);
    dot += "  " + name + " [label=\"#" + std::to_string(node.id) + ' ';
    AppendDotText(dot, node.name);
    dot += "\\l";
    for (const std::string& item : Items(tree, node)) {
      AppendDotText(dot, item);
      dot += "\\l";
    }
    dot += "\"];\n";
    for (int child : node.children) edges += "  " + name + " -> n" + std::to_string(tree.nodes[child].id) + ";\n";
  });
  return dot + edges + "}\n";
}

}  // namespace sci
