#include "scene/import/gltf/document.h"

#include <algorithm>

namespace Importing::Import::Gltf {

Document::Document(const JsonValue& document, const BinaryData& binary, std::vector<std::string>& warningList)
    : root(document), data(binary), warnings(warningList) {
  const auto list = [](const std::optional<JsonValue>& value) {
    return value ? value->Items() : std::vector<JsonValue>{};
  };
  nodes = list(root.Find("nodes"));
  meshes = list(root.Find("meshes"));
  materials = list(root.Find("materials"));
  textures = list(root.Find("textures"));
  images = list(root.Find("images"));
  cameras = list(root.Find("cameras"));
  animations = list(root.Find("animations"));
  skins = list(root.Find("skins"));
  scenes = list(root.Find("scenes"));
  if (const auto extensions = root.Find("extensions"))
    if (const auto punctual = extensions->Find("KHR_lights_punctual")) lights = list(punctual->Find("lights"));
  if (const auto used = root.Find("extensionsUsed"))
    for (std::size_t i = 0; i < used->Size(); ++i) extensionsUsed.emplace_back(used->Item(i).AsString());
}

const JsonValue& Document::Item(const std::vector<JsonValue>& list, std::string_view name, std::uint64_t index,
                                const std::string& user) const {
  if (index >= list.size())
    throw FormatError(user + ": names " + std::string(name) + "[" + std::to_string(index) + "], which does not exist");
  return list[index];
}

bool Document::Uses(std::string_view extension) const {
  return std::find(extensionsUsed.begin(), extensionsUsed.end(), extension) != extensionsUsed.end();
}

int Numbering::Take(std::size_t index, bool* added) {
  const bool fresh = idOf_[index] < 0;
  if (fresh) {
    idOf_[index] = static_cast<int>(order_.size());
    order_.push_back(index);
  }
  if (added) *added = fresh;
  return idOf_[index];
}

}  // namespace Importing::Import::Gltf
