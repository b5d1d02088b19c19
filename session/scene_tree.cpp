#include "session/scene_tree.h"

#include <algorithm>
#include <utility>

#include "session/asker.h"
#include "session/json_output.h"
#include "session/value_text.h"

namespace sci {

namespace {

using namespace Importing;

TreeSurface AskSurface(Asker& ask, int id) {
  TreeSurface surface;
  surface.id = id;
  surface.geometry = ask.Id(SCI_SURFACE_GEOMETRY_ID, id);
  surface.material = ask.Id(SCI_SURFACE_MATERIAL_ID, id);
  const int maps = ask.Id(SCI_SURFACE_TEXTURE_COUNT, id);
  for (int m = 0; m < maps; ++m) {
    TreeTextureMap map;
    map.texture = ask.Id(SCI_SURFACE_TEXTURE_ID, id, m);
    map.type = ask.Text(SCI_SURFACE_TEXTURE_TYPE, id, m);
    map.uvSet = ask.Value(SCI_SURFACE_TEXTURE_UV_SET, id, m);
    map.amount = ask.Value(SCI_SURFACE_TEXTURE_AMOUNT, id, m);
    surface.maps.push_back(std::move(map));
  }
  return surface;
}

// Everything about node `id` but its children.
TreeNode AskNode(Asker& ask, int id, SceneTree& tree) {
  TreeNode node;
  node.id = id;
  node.name = ask.Text(SCI_NODE_NAME, id);
  node.animation = ask.Id(SCI_NODE_ANIMATION, id);
  const int surfaces = ask.Id(SCI_NODE_SURFACE_COUNT, id);
  for (int s = 0; s < surfaces; ++s) {
    const int surface = ask.Id(SCI_NODE_SURFACE_ID, id, s);
    node.surfaces.push_back(surface);
    if (surface < 0 || surface >= static_cast<int>(tree.surfaces.size()) || tree.surfaces[surface].id >= 0) continue;
    tree.surfaces[surface] = AskSurface(ask, surface);
  }
  const int cameras = ask.Id(SCI_NODE_CAMERA_COUNT, id);
  for (int c = 0; c < cameras; ++c) {
    TreeCamera camera;
    camera.id = ask.Id(SCI_NODE_CAMERA_ID, id, c);
    camera.name = ask.Text(SCI_CAMERA_NAME, camera.id);
    node.cameras.push_back(std::move(camera));
  }
  const int lights = ask.Id(SCI_NODE_LIGHT_COUNT, id);
  for (int l = 0; l < lights; ++l) {
    TreeLight light;
    light.id = ask.Id(SCI_NODE_LIGHT_ID, id, l);
    light.type = ask.Id(SCI_LIGHT_TYPE, light.id);
    light.name = ask.Text(SCI_LIGHT_NAME, light.id);
    node.lights.push_back(std::move(light));
  }
  return node;
}

void AppendString(std::string& out, const std::string& text) { out += DumpLine(Json(text)); }

void AppendId(std::string& out, int id) {
  if (id < 0) out += "null";
  else out += std::to_string(id);
}

void AppendSurface(std::string& out, const TreeSurface& surface) {
  out += "{\"id\":" + std::to_string(surface.id) + ",\"geometry\":" + std::to_string(surface.geometry) +
         ",\"material\":" + std::to_string(surface.material) + ",\"maps\":[";
  for (std::size_t m = 0; m < surface.maps.size(); ++m) {
    const TreeTextureMap& map = surface.maps[m];
    out += m == 0 ? "{\"texture\":" : ",{\"texture\":";
    AppendId(out, map.texture);
    out += ",\"type\":";
    AppendString(out, map.type);
    out += ",\"uv_set\":";
    AppendJsonNumber(out, map.uvSet);
    out += ",\"amount\":";
    AppendJsonNumber(out, map.amount);
    out += '}';
  }
  out += "]}";
}

// A node's members up to and including the opening bracket of "children".
void AppendNodeHead(std::string& out, const SceneTree& tree, const TreeNode& node) {
  out += "{\"id\":" + std::to_string(node.id) + ",\"name\":";
  AppendString(out, node.name);
  out += ",\"animation\":";
  AppendId(out, node.animation);
  out += ",\"surfaces\":[";
  for (std::size_t s = 0; s < node.surfaces.size(); ++s) {
    if (s > 0) out += ',';
    const int id = node.surfaces[s];
    if (id >= 0 && id < static_cast<int>(tree.surfaces.size())) AppendSurface(out, tree.surfaces[id]);
    else out += "{\"id\":" + std::to_string(id) + "}";
  }
  out += "],\"cameras\":[";
  for (std::size_t c = 0; c < node.cameras.size(); ++c) {
    out += c == 0 ? "{\"id\":" : ",{\"id\":";
    out += std::to_string(node.cameras[c].id) + ",\"name\":";
    AppendString(out, node.cameras[c].name);
    out += '}';
  }
  out += "],\"lights\":[";
  for (std::size_t l = 0; l < node.lights.size(); ++l) {
    const TreeLight& light = node.lights[l];
    out += l == 0 ? "{\"id\":" : ",{\"id\":";
    out += std::to_string(light.id) + ",\"name\":";
    AppendString(out, light.name);
    out += ",\"type\":";
    AppendString(out, LightTypeName(light.type));
    out += '}';
  }
  out += "],\"children\":[";
}

}  // namespace

SceneTree BuildSceneTree(QuerySession& session) {
  SceneTree tree;
  Asker ask(session, tree.messages);
  const int root = ask.Id(SCI_ROOT_NODE);
  const int nodeCount = ask.Id(SCI_NODE_COUNT);
  if (root < 0 || root >= nodeCount) return tree;
  tree.surfaces.resize(static_cast<std::size_t>(std::max(0, ask.Id(SCI_SURFACE_COUNT))));
  std::vector<bool> seen(static_cast<std::size_t>(nodeCount));

  // Pre-order with an explicit stack of (node index, next child number).
  struct Open {
    std::size_t index;
    int nextChild, childCount;
  };
  std::vector<Open> stack;
  auto enter = [&](int id) {
    seen[id] = true;
    tree.nodes.push_back(AskNode(ask, id, tree));
    stack.push_back({tree.nodes.size() - 1, 0, ask.Id(SCI_NODE_CHILD_COUNT, id)});
  };
  enter(root);
  while (!stack.empty()) {
    Open& top = stack.back();
    if (top.nextChild >= top.childCount) {
      stack.pop_back();
      continue;
    }
    const std::size_t parent = top.index;
    const int child = ask.Id(SCI_NODE_CHILD, tree.nodes[parent].id, top.nextChild++);
    if (child < 0 || child >= nodeCount || seen[child]) continue;
    tree.nodes[parent].children.push_back(static_cast<int>(tree.nodes.size()));
    enter(child);
  }
  return tree;
}

void AppendTreeJson(const SceneTree& tree, std::string& out) {
  if (tree.nodes.empty()) {
    out += "null";
    return;
  }
  // Depth-first with an explicit stack of (node index, children written).
  std::vector<std::pair<std::size_t, std::size_t>> stack;
  AppendNodeHead(out, tree, tree.nodes[0]);
  stack.emplace_back(0, 0);
  while (!stack.empty()) {
    auto& [index, written] = stack.back();
    const auto& children = tree.nodes[index].children;
    if (written == children.size()) {
      out += "]}";
      stack.pop_back();
      continue;
    }
    if (written > 0) out += ',';
    const std::size_t child = static_cast<std::size_t>(children[written++]);
    AppendNodeHead(out, tree, tree.nodes[child]);
    stack.emplace_back(child, 0);
  }
}

std::string SceneTreeJson(const std::string& scenePath, const SceneTree& tree) {
  std::string out = "{\"scene\":";
  AppendString(out, scenePath);
  out += ",\"tree\":";
  AppendTreeJson(tree, out);
  out += '}';
  return out;
}

}  // namespace sci
