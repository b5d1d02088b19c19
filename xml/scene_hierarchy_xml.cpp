#include <cstddef>
#include <new>
#include <vector>

#include "channel/scene_container_info.h"
#include "queries/query_support.h"
#include "xml/number_text.h"

// The scene hierarchy XML text: one tab-indented node element per node, with
// the node's surfaces, their texture maps and the node's cameras, then its
// child nodes.
namespace Importing {

using namespace query;

namespace {

template <class Id>
bool InCollection(Id id, std::size_t count) {
  return id >= 0 && static_cast<std::size_t>(id) < count;
}

void AppendLine(std::string& text, std::size_t tabs, const char* line) {
  text.append(tabs, '\t');
  text += line;
  text += '\n';
}

void AppendMap(std::string& text, std::size_t indent, const SurfaceTexture& map) {
  text.append(indent, '\t');
  text += "<map type=\"";
  text += map.GetTextureType();
  text += "\">\n";
  text.append(indent + 1, '\t');
  text += "<texture_id>";
  xml::AppendNumber(text, map.GetTextureID());
  text += "</texture_id>\n";
  text.append(indent + 1, '\t');
  text += "<amount>";
  xml::AppendNumber(text, map.GetAmount());
  text += "</amount>\n";
  text.append(indent + 1, '\t');
  text += "<uvset>";
  xml::AppendNumber(text, static_cast<std::uint32_t>(map.GetUVSet()));
  text += "</uvset>\n";
  AppendLine(text, indent, "</map>");
}

// A surface ID outside the scene's surfaces is skipped; entries without a
// texture (ID -1) leave no map element.
void AppendSurfaces(std::string& text, const SceneContainer& scene, const Node& node, std::size_t indent) {
  if (node.SurfaceIDs.empty()) return;
  AppendLine(text, indent + 1, "<surfaces>");
  for (std::uint32_t id : node.SurfaceIDs) {
    if (id >= scene.Surfaces().size()) continue;
    const Surface& surface = scene.Surfaces()[id];
    text.append(indent + 2, '\t');
    text += "<surface geometry_id=\"";
    xml::AppendNumber(text, surface.GetGeometryID());
    text += "\" material_id=\"";
    xml::AppendNumber(text, surface.GetMaterialID());
    text += "\" >\n";
    if (!surface.Textures.empty()) {
      AppendLine(text, indent + 3, "<maps>");
      for (const SurfaceTexture& map : surface.Textures)
        if (map.GetTextureID() != -1) AppendMap(text, indent + 4, map);
      AppendLine(text, indent + 3, "</maps>");
    }
    AppendLine(text, indent + 2, "</surface>");
  }
  AppendLine(text, indent + 1, "</surfaces>");
}

void AppendFloatElement(std::string& text, std::size_t indent, const char* tag, float value) {
  text.append(indent, '\t');
  text += '<';
  text += tag;
  text += '>';
  xml::AppendNumber(text, value);
  text += "</";
  text += tag;
  text += ">\n";
}

// A camera ID outside the scene's cameras is skipped.
void AppendCameras(std::string& text, const SceneContainer& scene, const Node& node, std::size_t indent) {
  if (node.CameraIDs.empty()) return;
  AppendLine(text, indent + 1, "<cameras>");
  for (std::uint32_t id : node.CameraIDs) {
    if (id >= scene.Cameras().size()) continue;
    const Camera& camera = scene.Cameras()[id];
    AppendLine(text, indent + 2, "<camera>");
    text.append(indent + 3, '\t');
    text += "<name>";
    text += camera.GetName();
    text += "</name>\n";
    AppendFloatElement(text, indent + 3, "fovx", camera.GetFovX());
    AppendFloatElement(text, indent + 3, "fovy", camera.GetFovY());
    AppendFloatElement(text, indent + 3, "near-z", camera.GetNearZ());
    AppendFloatElement(text, indent + 3, "far-z", camera.GetFarZ());
    AppendLine(text, indent + 2, "</camera>");
  }
  AppendLine(text, indent + 1, "</cameras>");
}

// Everything of a node's element before its child nodes. A node with an
// animation has two blanks between its name and animation_id attributes.
void AppendNodeStart(std::string& text, const SceneContainer& scene, int id, std::size_t indent) {
  const Node& node = scene.Nodes()[static_cast<std::size_t>(id)];
  text.append(indent, '\t');
  text += "<node id=\"";
  xml::AppendNumber(text, id);
  text += "\" name=\"";
  text += node.GetName();
  text += "\" ";
  const int animation = node.GetAnimationID();
  if (animation >= 0) {
    text += " animation_id=\"";
    xml::AppendNumber(text, animation);
    text += '"';
  }
  text += ">\n";
  AppendSurfaces(text, scene, node, indent);
  AppendCameras(text, scene, node, indent);
}

// Appends node `nodeID` (a valid ID) and its subtree, indented from `base`.
void AppendSubtree(std::string& text, const SceneContainer& scene, int nodeID, std::size_t base) {
  const auto& nodes = scene.Nodes();
  struct OpenNode {
    int id;
    std::size_t level;      // below `nodeID`
    std::size_t nextChild;  // index into its ChildIDs
  };
  std::vector<bool> written(nodes.size(), false);
  std::vector<OpenNode> path;
  written[static_cast<std::size_t>(nodeID)] = true;
  AppendNodeStart(text, scene, nodeID, base);
  path.push_back({nodeID, 0, 0});
  while (!path.empty()) {
    OpenNode& node = path.back();
    const auto& childIDs = nodes[static_cast<std::size_t>(node.id)].ChildIDs;
    if (node.nextChild == childIDs.size()) {
      AppendLine(text, base + node.level, "</node>");
      path.pop_back();
      continue;
    }
    const int child = childIDs[node.nextChild++];
    if (!InCollection(child, nodes.size()) || written[static_cast<std::size_t>(child)]) continue;
    written[static_cast<std::size_t>(child)] = true;
    const std::size_t level = node.level + 1;
    AppendNodeStart(text, scene, child, base + level);
    path.push_back({child, level, 0});
  }
}

}  // namespace

// Appends node `nodeID` and its subtree to `text`, indented from `depth`; the
// outermost call (empty `text`) hands the whole text to child 1 in one go.
//
// The subtree is walked to any depth with an explicit stack rather than by
// recursion, so a deep tree cannot exhaust the call stack. The container is
// trusted to hold a tree but not relied on: a child ID outside the nodes and a
// node already written in this text (a cycle, or a node listed twice) are left
// out. A `nodeID` outside the nodes writes nothing, and the output keeps its
// text as when there is no root. Each line is indented by its level, so a long
// chain needs memory growing with the square of its length; when it cannot be
// had, `text` and the output are left as they were and the call fails.
int SceneContainerInfo::GetSceneHierarchy(const SceneContainer& scene, int nodeID, std::string& text, int depth) {
  TextChannel* out = nullptr;
  if (text.empty()) {
    auto children = Children<TextChannel>(*this);
    if (!children) return kFailed;
    out = std::get<0>(*children);
  }
  const auto& nodes = scene.Nodes();
  if (!InCollection(nodeID, nodes.size())) return kOk;
  const std::size_t base = depth > 0 ? static_cast<std::size_t>(depth) : 0;
  const std::size_t start = text.size();
  try {
    AppendSubtree(text, scene, nodeID, base);
    if (out != nullptr) out->SetText(text.c_str());
  } catch (const std::bad_alloc&) {
    text.resize(start);
    return kFailed;
  }
  return kOk;
}

}  // namespace Importing
