#include "scene/import/gltf/scene_reading.h"

#include <algorithm>
#include <charconv>
#include <cfloat>
#include <cmath>
#include <unordered_map>

#include "scene/import/gltf/animation_reading.h"
#include "scene/import/gltf/material_reading.h"
#include "scene/import/gltf/primitive_reading.h"
#include "scene/import/gltf/uri_text.h"

namespace Importing::Import::Gltf {
namespace {

constexpr int kNone = -1;

std::string NodeName(const JsonValue& node, std::size_t index) {
  std::string name = node.String("name");
  return name.empty() ? "nodes[" + std::to_string(index) + "]" : name;
}

template <typename T>
std::string NumberText(T value) {
  char buffer[64];
  const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
  return std::string(buffer, end);
}

// A node's `extras` as user properties: one "key=value" line per value,
// nested objects and array items named "outer.inner", nulls left out.
void AppendExtras(const std::string& prefix, const std::string& key, const JsonValue& value, std::string& text);

void AppendValue(const std::string& name, const JsonValue& value, std::string& text) {
  const simdjson::dom::element e = value.Element();
  std::string shown;
  switch (e.type()) {
    case simdjson::dom::element_type::BOOL: shown = e.get_bool().value() ? "true" : "false"; break;
    case simdjson::dom::element_type::INT64: shown = NumberText(e.get_int64().value()); break;
    case simdjson::dom::element_type::UINT64: shown = NumberText(e.get_uint64().value()); break;
    case simdjson::dom::element_type::DOUBLE: shown = NumberText(e.get_double().value()); break;
    case simdjson::dom::element_type::STRING: shown = std::string(e.get_string().value()); break;
    default: return;
  }
  text += name + "=" + shown + "\n";
}

void AppendExtras(const std::string& prefix, const std::string& key, const JsonValue& value, std::string& text) {
  if (value.IsObject()) {
    value.ForEachMember([&](std::string_view member, const JsonValue& inner) {
      AppendExtras(prefix + key + ".", std::string(member), inner, text);
    });
  } else if (value.IsArray()) {
    for (const JsonValue& item : value.Items()) AppendExtras(prefix + key + ".", key, item, text);
  } else {
    AppendValue(prefix + key, value, text);
  }
}

std::string ExtrasText(const JsonValue& node) {
  const auto extras = node.Find("extras");
  if (!extras || !extras->IsObject()) return {};
  std::string text;
  extras->ForEachMember([&](std::string_view key, const JsonValue& value) { AppendExtras("", std::string(key), value, text); });
  return text;
}

// The node's local matrix, row-vector convention, computed in floats as the
// Assimp route does (T * R * S in column vectors).
D3DXMATRIX LocalMatrix(const JsonValue& node) {
  D3DXMATRIX m;
  if (node.Find("matrix")) {
    const auto v = node.Numbers<16>("matrix", {});
    for (int r = 0; r < 4; ++r)
      for (int c = 0; c < 4; ++c) m.m[r][c] = static_cast<float>(v[static_cast<std::size_t>(r * 4 + c)]);
    return m;
  }
  const auto t = node.Numbers<3>("translation", {0, 0, 0});
  const auto q = node.Numbers<4>("rotation", {0, 0, 0, 1});
  const auto s = node.Numbers<3>("scale", {1, 1, 1});
  const float x = static_cast<float>(q[0]), y = static_cast<float>(q[1]), z = static_cast<float>(q[2]),
              w = static_cast<float>(q[3]);
  const float rotation[3][3] = {{1 - 2 * (y * y + z * z), 2 * (x * y - z * w), 2 * (x * z + y * w)},
                                {2 * (x * y + z * w), 1 - 2 * (x * x + z * z), 2 * (y * z - x * w)},
                                {2 * (x * z - y * w), 2 * (y * z + x * w), 1 - 2 * (x * x + y * y)}};
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 3; ++c) m.m[r][c] = rotation[c][r] * static_cast<float>(s[static_cast<std::size_t>(r)]);
    m.m[3][r] = static_cast<float>(t[static_cast<std::size_t>(r)]);
  }
  return m;
}

class SceneReader {
 public:
  SceneReader(const Document& document, SceneData& data)
      : doc_(document),
        data_(data),
        nodeOrder_(document.nodes.size()),
        meshOrder_(document.meshes.size()),
        materialOrder_(document.materials.size()),
        cameraOrder_(document.cameras.size()),
        lightOrder_(document.lights.size()),
        imageOrder_(document.images.size()) {}

  void Read() {
    CheckNodeGraph();
    const std::vector<std::size_t> roots = SceneRoots();
    for (const std::size_t root : roots) Retrieve(root);
    for (const JsonValue& skin : doc_.skins)
      if (const auto joints = skin.Find("joints"))
        for (const JsonValue& joint : joints->Items()) Retrieve(CheckedNode(joint.AsIndex(), joint.Place()));
    for (const JsonValue& animation : doc_.animations)
      if (const auto channels = animation.Find("channels"))
        for (const JsonValue& channel : channels->Items())
          if (const auto target = channel.Find("target"))
            if (const auto node = target->OptionalIndex("node")) Retrieve(CheckedNode(*node, target->Place()));

    BuildNodes(roots);
    BuildMaterials();
    BuildGeometries();
    BuildCameras();
    BuildLights();
    BuildAnimations();
  }

 private:
  std::size_t CheckedNode(std::uint64_t index, const std::string& user) const {
    doc_.Item(doc_.nodes, "nodes", index, user);
    return static_cast<std::size_t>(index);
  }

  // Each node has at most one parent and none is its own ancestor.
  void CheckNodeGraph() {
    const std::size_t count = doc_.nodes.size();
    parent_.assign(count, kNone);
    children_.resize(count);
    for (std::size_t n = 0; n < count; ++n) {
      const auto list = doc_.nodes[n].Find("children");
      if (!list) continue;
      for (const JsonValue& child : list->Items()) {
        const std::size_t c = CheckedNode(child.AsIndex(), child.Place());
        if (parent_[c] != kNone)
          child.Fail("nodes[" + std::to_string(c) + "] already is a child of nodes[" + std::to_string(parent_[c]) +
                     "]; a node has at most one parent");
        parent_[c] = static_cast<int>(n);
        children_[n].push_back(c);
      }
    }
    // Walking up from each node must end at a node without a parent.
    std::vector<char> state(count, 0);  // 0 unseen, 1 on the current walk, 2 known to end
    for (std::size_t start = 0; start < count; ++start) {
      std::vector<std::size_t> walk;
      int n = static_cast<int>(start);
      while (n != kNone && state[n] == 0) {
        state[n] = 1;
        walk.push_back(static_cast<std::size_t>(n));
        n = parent_[n];
      }
      if (n != kNone && state[n] == 1)
        doc_.nodes[static_cast<std::size_t>(n)].Fail("is its own ancestor: the node hierarchy has a cycle");
      for (const std::size_t seen : walk) state[seen] = 2;
    }
  }

  std::vector<std::size_t> SceneRoots() {
    std::vector<std::size_t> roots;
    if (doc_.scenes.empty()) {
      for (std::size_t n = 0; n < doc_.nodes.size(); ++n)
        if (parent_[n] == kNone) roots.push_back(n);
      if (!doc_.nodes.empty())
        doc_.warnings.push_back("The file has no scenes; every node without a parent is opened under one root");
      return roots;
    }
    const auto chosen = doc_.root.OptionalIndex("scene");
    if (!chosen) doc_.warnings.push_back("The file names no default scene; its first scene is opened");
    const JsonValue& scene = doc_.Item(doc_.scenes, "scenes", chosen.value_or(0), "scene");
    std::vector<char> listed(doc_.nodes.size(), 0);
    if (const auto nodes = scene.Find("nodes")) {
      for (const JsonValue& entry : nodes->Items()) {
        const std::size_t n = CheckedNode(entry.AsIndex(), entry.Place());
        if (parent_[n] != kNone)
          entry.Fail("nodes[" + std::to_string(n) + "] is a child of nodes[" + std::to_string(parent_[n]) +
                     "], not a root");
        if (listed[n]) entry.Fail("nodes[" + std::to_string(n) + "] is listed twice");
        listed[n] = 1;
        roots.push_back(n);
      }
    }
    return roots;
  }

  // Numbers what the node and its subtree refer to, children first, in the
  // Assimp route's order; a node met before is not walked again.
  void Retrieve(std::size_t start) {
    if (entered_.empty()) entered_.assign(doc_.nodes.size(), 0);
    if (entered_[start]) return;
    std::vector<std::pair<std::size_t, std::size_t>> stack{{start, 0}};  // node, next child
    entered_[start] = 1;
    while (!stack.empty()) {
      auto& [node, next] = stack.back();
      if (next < children_[node].size()) {
        const std::size_t child = children_[node][next++];
        if (!entered_[child]) {
          entered_[child] = 1;
          stack.emplace_back(child, 0);
        }
        continue;
      }
      RetrieveOwn(node);
      nodeOrder_.Take(node);
      stack.pop_back();
    }
  }

  void RetrieveOwn(std::size_t n) {
    const JsonValue& node = doc_.nodes[n];
    if (const auto mesh = node.OptionalIndex("mesh")) {
      const JsonValue& m = doc_.Item(doc_.meshes, "meshes", *mesh, node.Place());
      bool added = false;
      meshOrder_.Take(static_cast<std::size_t>(*mesh), &added);
      if (added)
        for (const JsonValue& primitive : m.At("primitives").Items())
          if (const auto material = primitive.OptionalIndex("material")) {
            doc_.Item(doc_.materials, "materials", *material, primitive.Place());
            materialOrder_.Take(static_cast<std::size_t>(*material));
          }
    }
    if (const auto camera = node.OptionalIndex("camera")) {
      doc_.Item(doc_.cameras, "cameras", *camera, node.Place());
      cameraOrder_.Take(static_cast<std::size_t>(*camera));
    }
    if (const auto light = LightOf(node)) lightOrder_.Take(*light);
  }

  std::optional<std::size_t> LightOf(const JsonValue& node) const {
    const auto extensions = node.Find("extensions");
    if (!extensions) return std::nullopt;
    const auto punctual = extensions->Find("KHR_lights_punctual");
    if (!punctual) return std::nullopt;
    const std::uint64_t light = punctual->Index("light");
    doc_.Item(doc_.lights, "KHR_lights_punctual.lights", light, punctual->Place());
    return static_cast<std::size_t>(light);
  }

  void BuildNodes(const std::vector<std::size_t>& roots) {
    std::vector<Node>& nodes = data_.nodes;
    std::size_t total = 0;
    std::vector<std::size_t> pending(roots.rbegin(), roots.rend());
    while (!pending.empty()) {
      const std::size_t n = pending.back();
      pending.pop_back();
      ++total;
      pending.insert(pending.end(), children_[n].rbegin(), children_[n].rend());
    }
    const bool synthetic = roots.size() != 1;
    nodes.reserve(total + (synthetic ? 1 : 0));
    std::vector<std::pair<std::size_t, int>> stack;  // file node, parent ID
    if (synthetic) nodes.emplace_back("ROOT", D3DXMATRIX());
    for (auto r = roots.rbegin(); r != roots.rend(); ++r) stack.emplace_back(*r, synthetic ? 0 : kNone);
    placedAt_.assign(doc_.nodes.size(), kNone);
    while (!stack.empty()) {
      const auto [n, parentID] = stack.back();
      stack.pop_back();
      const int id = static_cast<int>(nodes.size());
      const JsonValue& source = doc_.nodes[n];
      nodes.emplace_back(NodeName(source, n), LocalMatrix(source));
      nodes.back().SetNote(ExtrasText(source));
      placedAt_[n] = id;
      placementOrder_.push_back(n);
      if (parentID != kNone) nodes[static_cast<std::size_t>(parentID)].ChildIDs.push_back(id);
      for (auto c = children_[n].rbegin(); c != children_[n].rend(); ++c) stack.emplace_back(*c, id);
    }
    data_.rootNodeID = nodes.empty() ? kNone : 0;
  }

  void BuildMaterials() {
    std::vector<MaterialReading> readings;
    for (const std::size_t m : materialOrder_.InOrder()) readings.push_back(ReadMaterial(doc_, doc_.materials[m]));
    readings.push_back(ReadMaterial(doc_, std::nullopt));
    for (const MaterialReading& reading : readings)
      for (const TextureSlot& slot : reading.slots) imageOrder_.Take(slot.image);
    BuildEmbeddedImages();

    std::unordered_map<std::string, int> pathIDs;
    data_.materials.reserve(readings.size());
    for (MaterialReading& reading : readings) {
      std::vector<TextureSlot> slots = reading.slots;
      std::stable_sort(slots.begin(), slots.end(), [](const TextureSlot& a, const TextureSlot& b) {
        return a.typeOrder != b.typeOrder ? a.typeOrder < b.typeOrder : a.typeIndex < b.typeIndex;
      });
      // The base colour map also listed as the diffuse map is kept once.
      const auto repeatsDiffuse = [&slots](const TextureSlot& s) {
        return s.typeName == "basecolor" && std::any_of(slots.begin(), slots.end(), [&s](const TextureSlot& d) {
                 return d.typeName == "diffuse" && d.image == s.image;
               });
      };
      slots.erase(std::remove_if(slots.begin(), slots.end(), repeatsDiffuse), slots.end());
      std::vector<SurfaceTexture> textures;
      for (const TextureSlot& slot : slots) {
        const std::string path = ImagePath(slot.image);
        const auto [it, added] = pathIDs.emplace(path, static_cast<int>(data_.texturePaths.size()));
        if (added) data_.texturePaths.push_back(path);
        textures.emplace_back(it->second, slot.typeName, slot.uvSet, 1.0f, slot.matrix);
      }
      texturesByMaterial_.push_back(std::move(textures));
      data_.materials.push_back(reading.material);
    }
  }

  // Images whose bytes are in the file, numbered "*N" in the order met.
  void BuildEmbeddedImages() {
    embeddedNumber_.assign(doc_.images.size(), kNone);
    SceneSource& source = data_.source;
    for (const std::size_t i : imageOrder_.InOrder()) {
      const JsonValue& image = doc_.images[i];
      if (ImageFileReference(image)) continue;
      std::string bytes;
      if (const auto view = image.OptionalIndex("bufferView")) {
        bytes = std::string(doc_.data.View(*view, image.Place()));
      } else if (const auto uri = image.Find("uri")) {
        bytes = std::move(ParseDataUri(uri->AsString())->bytes);
      } else {
        image.Fail("has neither 'uri' nor 'bufferView'");
      }
      embeddedNumber_[i] = static_cast<int>(source.embeddedImages.size());
      source.embeddedImages.push_back("*" + std::to_string(embeddedNumber_[i]));
      source.embeddedImageNames.push_back(image.String("name"));
      source.embeddedImageBytes.push_back(std::move(bytes));
    }
  }

  std::string ImagePath(std::size_t image) const {
    if (embeddedNumber_[image] != kNone) return "*" + std::to_string(embeddedNumber_[image]);
    return *ImageFileReference(doc_.images[image]);
  }

  void BuildGeometries() {
    std::vector<int> firstSurface(doc_.meshes.size(), kNone);
    std::size_t primitives = 0;
    for (const std::size_t m : meshOrder_.InOrder()) primitives += doc_.meshes[m].At("primitives").Size();
    data_.geometries.reserve(primitives);
    data_.surfaces.reserve(primitives);
    const int defaultMaterial = static_cast<int>(data_.materials.size()) - 1;
    for (const std::size_t m : meshOrder_.InOrder()) {
      firstSurface[m] = static_cast<int>(data_.surfaces.size());
      for (const JsonValue& primitive : doc_.meshes[m].At("primitives").Items()) {
        const auto material = primitive.OptionalIndex("material");
        const int materialID = material ? materialOrder_.IdOf(static_cast<std::size_t>(*material)) : defaultMaterial;
        ReadPrimitive(doc_, primitive, data_.geometries.emplace_back());
        Surface surface(static_cast<int>(data_.surfaces.size()), materialID);
        surface.Textures = texturesByMaterial_[static_cast<std::size_t>(materialID)];
        data_.surfaces.push_back(std::move(surface));
      }
    }
    for (const std::size_t n : placementOrder_) {
      const auto mesh = doc_.nodes[n].OptionalIndex("mesh");
      if (!mesh) continue;
      const std::size_t count = doc_.meshes[*mesh].At("primitives").Size();
      Node& node = data_.nodes[static_cast<std::size_t>(placedAt_[n])];
      for (std::size_t p = 0; p < count; ++p)
        node.SurfaceIDs.push_back(static_cast<std::uint32_t>(firstSurface[*mesh] + static_cast<int>(p)));
    }
  }

  // The name a camera or light takes: that of the last node placing it.
  template <typename Placed>
  std::vector<std::string> PlacerNames(std::size_t count, Placed placed) {
    std::vector<std::string> names(count);
    for (const std::size_t n : placementOrder_)
      if (const auto item = placed(doc_.nodes[n])) names[*item] = data_.nodes[static_cast<std::size_t>(placedAt_[n])].GetName();
    return names;
  }

  void BuildCameras() {
    const auto cameraOf = [this](const JsonValue& node) -> std::optional<std::size_t> {
      const auto camera = node.OptionalIndex("camera");
      if (!camera) return std::nullopt;
      return static_cast<std::size_t>(cameraOrder_.IdOf(static_cast<std::size_t>(*camera)));
    };
    const std::vector<std::string> names = PlacerNames(cameraOrder_.InOrder().size(), cameraOf);
    for (const std::size_t c : cameraOrder_.InOrder()) {
      const JsonValue& source = doc_.cameras[c];
      Camera camera;
      camera.SetName(names[data_.cameras.size()]);
      camera.SetOffsetMatrix(D3DXMATRIX());  // glTF cameras look down -Z of their node, up +Y
      if (source.String("type") == "orthographic") {
        const JsonValue ortho = source.At("orthographic");
        camera.SetFov(0, 0);
        camera.SetClipping(static_cast<float>(ortho.Number("znear", 0)), static_cast<float>(ortho.Number("zfar", 0)));
      } else {
        const JsonValue perspective = source.At("perspective");
        const float aspect = static_cast<float>(perspective.Number("aspectRatio", 0));
        const float yfov = static_cast<float>(perspective.Number("yfov", 3.1415f / 2.f));
        if (aspect == 0) {
          camera.SetFov(yfov, yfov);
        } else {
          // As the Assimp route derives them from its stored horizontal angle.
          const float stored = yfov * aspect;
          const double fovY = stored / static_cast<double>(aspect);
          camera.SetFov(static_cast<float>(2 * std::atan(std::tan(fovY / 2) * aspect)), static_cast<float>(fovY));
        }
        camera.SetClipping(static_cast<float>(perspective.Number("znear", 0.01f)),
                           static_cast<float>(perspective.Number("zfar", 100.f)));
      }
      data_.cameras.push_back(camera);
    }
    for (const std::size_t n : placementOrder_)
      if (const auto id = cameraOf(doc_.nodes[n]))
        data_.nodes[static_cast<std::size_t>(placedAt_[n])].CameraIDs.push_back(static_cast<std::uint32_t>(*id));
  }

  void BuildLights() {
    const auto lightOf = [this](const JsonValue& node) -> std::optional<std::size_t> {
      const auto light = LightOf(node);
      if (!light) return std::nullopt;
      return static_cast<std::size_t>(lightOrder_.IdOf(*light));
    };
    const std::vector<std::string> names = PlacerNames(lightOrder_.InOrder().size(), lightOf);
    for (const std::size_t l : lightOrder_.InOrder()) {
      const JsonValue& source = doc_.lights[l];
      const std::string type = source.String("type");
      Light light;
      light.SetName(names[data_.lights.size()]);
      light.SetType(type == "directional" ? Light::LIGHT_DIRECTIONAL
                    : type == "spot"      ? Light::LIGHT_SPOT
                    : type == "point"     ? Light::LIGHT_POINT
                                          : Light::LIGHT_UNKNOWN);
      if (light.GetType() == Light::LIGHT_UNKNOWN) source.Fail("type '" + type + "' is not directional, point or spot");
      const auto color = source.Numbers<3>("color", {1, 1, 1});
      const float intensity = static_cast<float>(source.Number("intensity", 1));
      const Color c{static_cast<float>(color[0]) * intensity, static_cast<float>(color[1]) * intensity,
                    static_cast<float>(color[2]) * intensity, 1};
      light.SetColors(c, c, c);
      light.SetAttenuation(light.GetType() == Light::LIGHT_DIRECTIONAL ? D3DXVECTOR3{1, 0, 0} : D3DXVECTOR3{0, 0, 1});
      light.SetRange(source.Find("range") ? static_cast<float>(source.Number("range", 0)) : std::sqrt(FLT_MAX));
      if (light.GetType() == Light::LIGHT_SPOT) {
        // The records hold full cone angles; glTF gives half ones.
        const auto spot = source.Find("spot");
        const float inner = spot ? static_cast<float>(spot->Number("innerConeAngle", 0)) : 0.0f;
        const float outer = spot ? static_cast<float>(spot->Number("outerConeAngle", M_PI / 4)) : static_cast<float>(M_PI / 4);
        light.SetCone(inner * 2, outer * 2);
      }
      light.SetOffsetMatrix(D3DXMATRIX());  // glTF lights shine down -Z of their node
      data_.lights.push_back(light);
    }
    for (const std::size_t n : placementOrder_)
      if (const auto id = lightOf(doc_.nodes[n]))
        data_.nodes[static_cast<std::size_t>(placedAt_[n])].LightIDs.push_back(static_cast<std::uint32_t>(*id));
  }

  void BuildAnimations() {
    const auto retrievalIndex = [this](std::size_t node) { return static_cast<unsigned>(nodeOrder_.IdOf(node)); };
    std::unordered_map<std::string, int> firstByName;
    for (const JsonValue& animation : doc_.animations) {
      AnimationGroup group{animation.String("name"), static_cast<std::uint32_t>(data_.animations.size()), 0};
      for (NodeTrack& track : ReadAnimation(doc_, animation, retrievalIndex)) {
        firstByName.emplace(NodeName(doc_.nodes[track.node], track.node), static_cast<int>(data_.animations.size()));
        data_.animations.push_back(std::move(track.keys));
        ++group.count;
      }
      data_.source.animationGroups.push_back(std::move(group));
    }
    for (Node& node : data_.nodes) {
      const auto id = firstByName.find(node.GetName());
      node.SetAnimationID(id != firstByName.end() ? id->second : kNone);
    }
  }

  const Document& doc_;
  SceneData& data_;
  std::vector<int> parent_;
  std::vector<std::vector<std::size_t>> children_;
  std::vector<char> entered_;
  Numbering nodeOrder_, meshOrder_, materialOrder_, cameraOrder_, lightOrder_, imageOrder_;
  std::vector<int> placedAt_;                 // file node -> node ID, kNone when not in the scene
  std::vector<std::size_t> placementOrder_;   // file nodes in pre-order
  std::vector<int> embeddedNumber_;           // file image -> N of "*N", kNone for a file reference
  std::vector<std::vector<SurfaceTexture>> texturesByMaterial_;
};

}  // namespace

void ReadScene(const Document& document, SceneData& data) { SceneReader(document, data).Read(); }

}  // namespace Importing::Import::Gltf
