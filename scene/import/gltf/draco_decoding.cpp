#include "scene/import/gltf/draco_decoding.h"

#include <draco/compression/decode.h>
#include <draco/mesh/mesh.h>
#include <draco/point_cloud/point_cloud.h>

#include <memory>

#include "scene/import/gltf/json_value.h"

namespace Importing::Import::Gltf {

DracoPrimitive DecodeDraco(std::string_view bytes, const std::map<std::string, DracoAttributeRequest>& requests,
                           const std::string& place) {
  draco::DecoderBuffer buffer;
  buffer.Init(bytes.data(), bytes.size());
  const auto kind = draco::Decoder::GetEncodedGeometryType(&buffer);
  if (!kind.ok()) throw FormatError(place + ": the Draco data cannot be decoded: " + kind.status().error_msg_string());
  draco::Decoder decoder;
  std::unique_ptr<draco::PointCloud> cloud;
  const draco::Mesh* mesh = nullptr;
  if (kind.value() == draco::TRIANGULAR_MESH) {
    auto decoded = decoder.DecodeMeshFromBuffer(&buffer);
    if (!decoded.ok()) throw FormatError(place + ": the Draco data cannot be decoded: " + decoded.status().error_msg_string());
    mesh = decoded.value().get();
    cloud = std::move(decoded).value();
  } else {
    auto decoded = decoder.DecodePointCloudFromBuffer(&buffer);
    if (!decoded.ok()) throw FormatError(place + ": the Draco data cannot be decoded: " + decoded.status().error_msg_string());
    cloud = std::move(decoded).value();
  }

  DracoPrimitive primitive;
  primitive.vertexCount = cloud->num_points();
  if (mesh) {
    primitive.indices.reserve(static_cast<std::size_t>(mesh->num_faces()) * 3);
    for (draco::FaceIndex f(0); f < mesh->num_faces(); ++f)
      for (const draco::PointIndex& corner : mesh->face(f)) primitive.indices.push_back(corner.value());
  }
  for (const auto& [semantic, request] : requests) {
    const draco::PointAttribute* attribute = cloud->GetAttributeByUniqueId(request.uniqueId);
    if (!attribute)
      throw FormatError(place + ": the Draco data has no attribute " + std::to_string(request.uniqueId) + " for " + semantic);
    if (attribute->num_components() < request.components)
      throw FormatError(place + ": the Draco attribute for " + semantic + " has " +
                        std::to_string(attribute->num_components()) + " components, not " + std::to_string(request.components));
    std::vector<float>& values = primitive.attributes[semantic];
    values.resize(primitive.vertexCount * static_cast<std::uint64_t>(request.components));
    for (draco::PointIndex p(0); p < cloud->num_points(); ++p) {
      float* out = values.data() + static_cast<std::size_t>(p.value()) * static_cast<std::size_t>(request.components);
      if (!attribute->ConvertValue<float>(attribute->mapped_index(p), static_cast<std::int8_t>(request.components), out))
        throw FormatError(place + ": the Draco attribute for " + semantic + " cannot be read as numbers");
    }
  }
  return primitive;
}

}  // namespace Importing::Import::Gltf
