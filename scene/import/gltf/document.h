#pragma once

// A parsed glTF document as the conversion reads it: the JSON, the bytes it
// refers to, its top-level lists, and the warnings the conversion gathers.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "scene/import/gltf/binary_data.h"
#include "scene/import/gltf/json_value.h"

namespace Importing::Import::Gltf {

struct Document {
  Document(const JsonValue& root, const BinaryData& data, std::vector<std::string>& warnings);

  // Item `index` of the top-level list `name`; `user` names the referring
  // place when the item does not exist.
  const JsonValue& Item(const std::vector<JsonValue>& list, std::string_view name, std::uint64_t index,
                        const std::string& user) const;
  bool Uses(std::string_view extension) const;

  const JsonValue& root;
  const BinaryData& data;
  std::vector<std::string>& warnings;
  std::vector<JsonValue> nodes, meshes, materials, textures, images, cameras, lights, animations, skins, scenes;
  std::vector<std::string> extensionsUsed;
};

// Numbers the records of one kind in the order they are first referred to,
// as the Assimp route numbers them, so that both readers give the same IDs.
class Numbering {
 public:
  explicit Numbering(std::size_t fileCount) : idOf_(fileCount, -1) {}
  // The ID of the file's item `index`, numbering it now when it is new;
  // `added` tells whether it was.
  int Take(std::size_t index, bool* added = nullptr);
  int IdOf(std::size_t index) const { return idOf_[index]; }
  const std::vector<std::size_t>& InOrder() const { return order_; }

 private:
  std::vector<int> idOf_;
  std::vector<std::size_t> order_;
};

}  // namespace Importing::Import::Gltf
