#include "scene/import/assimp/node_conversion.h"

#include <assimp/scene.h>

#include <charconv>
#include <cstdint>
#include <utility>

#include "scene/import/assimp/convert_math.h"

namespace Importing::Import {
namespace {

bool IsBookkeepingKey(const std::string& key, MetadataDialect dialect) {
  switch (dialect) {
    case MetadataDialect::Fbx:
      return key == "UserProperties" || key == "IsNull" || key == "InheritType" ||
             key == "DefaultAttributeIndex" || key.rfind("Lcl ", 0) == 0;
    case MetadataDialect::Gltf:
      return key == "PBR_LightRange" || key == "extensions";
    case MetadataDialect::Generic:
      break;
  }
  return false;
}

// Shortest text that reads back as the same value.
template <typename T>
std::string NumberText(T value) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

void AppendEntries(const aiMetadata& metadata, const std::string& prefix, bool topLevel,
                   MetadataDialect dialect, std::string& text) {
  for (unsigned i = 0; i < metadata.mNumProperties; ++i) {
    const std::string key = ToString(metadata.mKeys[i]);
    if (topLevel && IsBookkeepingKey(key, dialect)) continue;
    const aiMetadataEntry& entry = metadata.mValues[i];
    if (!entry.mData) continue;
    const std::string name = prefix + key;
    std::string value;
    switch (entry.mType) {
      case AI_BOOL:
        value = *static_cast<const bool*>(entry.mData) ? "true" : "false";
        break;
      case AI_INT32:
        value = NumberText(*static_cast<const std::int32_t*>(entry.mData));
        break;
      case AI_UINT64:
        value = NumberText(*static_cast<const std::uint64_t*>(entry.mData));
        break;
      case AI_FLOAT:
        value = NumberText(*static_cast<const float*>(entry.mData));
        break;
      case AI_DOUBLE:
        value = NumberText(*static_cast<const double*>(entry.mData));
        break;
      case AI_AISTRING:
        value = ToString(*static_cast<const aiString*>(entry.mData));
        break;
      case AI_AIVECTOR3D: {
        const auto& v = *static_cast<const aiVector3D*>(entry.mData);
        value = NumberText(v.x) + " " + NumberText(v.y) + " " + NumberText(v.z);
        break;
      }
      case AI_AIMETADATA:
        AppendEntries(*static_cast<const aiMetadata*>(entry.mData), name + ".", false, dialect, text);
        continue;
      default:
        continue;  // a type this version does not know
    }
    text += name + "=" + value + "\n";
  }
}

// The nodes under and including `root`, counted first so that the lists
// are allocated once: records have no move constructors, so every regrowth
// would copy each node.
std::size_t CountNodes(const aiNode& root) {
  std::size_t count = 0;
  std::vector<const aiNode*> pending{&root};
  while (!pending.empty()) {
    const aiNode* node = pending.back();
    pending.pop_back();
    ++count;
    for (unsigned i = 0; i < node->mNumChildren; ++i)
      if (node->mChildren[i]) pending.push_back(node->mChildren[i]);
  }
  return count;
}

// Pre-order with an explicit stack, so that a very deep file cannot exhaust
// the call stack. Children are pushed in reverse so that they pop in order,
// which also appends each one to its parent's ChildIDs in the file's order.
void Flatten(const aiNode& root, MetadataDialect dialect, std::vector<Node>& nodes,
             std::vector<const aiNode*>& sources) {
  const std::size_t count = CountNodes(root);
  nodes.reserve(nodes.size() + count);
  sources.reserve(sources.size() + count);
  std::vector<std::pair<const aiNode*, int>> pending{{&root, -1}};
  while (!pending.empty()) {
    const auto [node, parentID] = pending.back();
    pending.pop_back();
    const int id = static_cast<int>(nodes.size());
    nodes.emplace_back(ToString(node->mName), ToRowVectorMatrix(node->mTransformation));
    nodes.back().SetNote(UserPropertiesText(node->mMetaData, dialect));
    sources.push_back(node);
    if (parentID >= 0) nodes[parentID].ChildIDs.push_back(id);
    for (unsigned i = node->mNumChildren; i-- > 0;)
      if (node->mChildren[i]) pending.emplace_back(node->mChildren[i], id);
  }
}

}  // namespace

std::string UserPropertiesText(const aiMetadata* metadata, MetadataDialect dialect) {
  if (!metadata) return {};
  if (dialect == MetadataDialect::Fbx) {
    aiString userProperties;
    if (metadata->Get("UserProperties", userProperties) && userProperties.length > 0)
      return ToString(userProperties);
  }
  std::string text;
  AppendEntries(*metadata, "", true, dialect, text);
  return text;
}

std::vector<const aiNode*> ConvertNodes(const aiNode& root, MetadataDialect dialect,
                                        std::vector<Node>& nodes) {
  std::vector<const aiNode*> sources;
  Flatten(root, dialect, nodes, sources);
  return sources;
}

}  // namespace Importing::Import
