#pragma once

// KHR_draco_mesh_compression: a primitive whose attributes and indices come
// from one Draco-compressed buffer view, decoded with Debian's libdraco.

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace Importing::Import::Gltf {

struct DracoAttributeRequest {
  std::uint32_t uniqueId = 0;  // the attribute's ID inside the Draco data
  int components = 0;          // floats per vertex wanted
};

struct DracoPrimitive {
  std::uint64_t vertexCount = 0;
  std::vector<std::uint32_t> indices;                 // empty for a point cloud
  std::map<std::string, std::vector<float>> attributes;  // by glTF semantic
};

// Decodes `bytes`; each requested attribute must be present with at least
// the components asked for. Errors name `place`.
DracoPrimitive DecodeDraco(std::string_view bytes, const std::map<std::string, DracoAttributeRequest>& requests,
                           const std::string& place);

}  // namespace Importing::Import::Gltf
