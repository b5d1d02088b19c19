#include "cli/json_output.h"

#include <cmath>

#include "host/material_channels.h"
#include "host/matrix_collection_channel.h"
#include "host/mesh_channel.h"
#include "host/value_channels.h"

namespace sci {

namespace {

// Whole floats beyond this are left as floats; all below it are exact.
constexpr float kLargestExactInteger = 16777216.0f;

Json JsonMatrix(const D3DXMATRIX& matrix) {
  Json rows = Json::array();
  for (const auto& row : matrix.m)
    for (float cell : row) rows.push_back(JsonNumber(cell));
  return rows;
}

Json JsonMesh(const MeshChannel& mesh) {
  Json vertices = Json::array();
  for (const auto& vertex : mesh.GetVertices()) {
    Json uvs = Json::array();
    for (const auto& uv : vertex.uvs) uvs.push_back(Json::array({JsonNumber(uv.x), JsonNumber(uv.y)}));
    vertices.push_back(Json{{"position", JsonVector(vertex.position)},
                            {"normal", JsonVector(vertex.normal)},
                            {"uv", std::move(uvs)}});
  }
  return Json{{"primitive_type", mesh.GetPrimitiveType()},
              {"vertices", std::move(vertices)},
              {"indices", mesh.GetIndices()}};
}

Json JsonMaterial(const MaterialChannel& material, const std::string& name) {
  const auto& parameters = material.GetParameters();
  const auto opacity = parameters.find(MaterialChannel::kOpacityParameter);
  return Json{{"name", name},
              {"diffuse", JsonVector(material.GetDiffuse())},
              {"emissive", JsonVector(material.GetEmissive())},
              {"specular", JsonVector(material.GetSpecular())},
              {"specular_power", JsonNumber(material.GetSpecularPower())},
              {"opacity", opacity == parameters.end() ? Json() : JsonNumber(opacity->second)}};
}

Json JsonKeys(const MatrixCollectionChannel& collection) {
  Json keys = Json::array();
  for (const AnimationKeyRecord& key : collection.GetKeys())
    keys.push_back(Json{
        {"time", static_cast<std::uint64_t>(key.time)},
        {"rotation", Json::array({JsonNumber(key.rotationX), JsonNumber(key.rotationY), JsonNumber(key.rotationZ),
                                  JsonNumber(key.rotationW)})},
        {"position", JsonVector({key.positionX, key.positionY, key.positionZ})},
        {"scale", JsonVector({key.scaleX, key.scaleY, key.scaleZ})}});
  return Json{{"keys", std::move(keys)}};
}

Json OutputToJson(const QueryOutput& output, const QueryResult& result) {
  const Orv_Channel* channel = output.channel;
  if (channel == nullptr) return Json();
  switch (output.child.kind) {
    case ChildKind::Value:
      return JsonNumber(static_cast<const ValueChannel*>(channel)->GetValue());
    case ChildKind::Text: {
      const char* text = static_cast<const TextChannel*>(channel)->GetText();
      return text ? Json(text) : Json();
    }
    case ChildKind::Matrix:
      return JsonMatrix(static_cast<const MatrixChannel*>(channel)->GetMatrix());
    case ChildKind::ValueVector:
      return JsonVector(static_cast<const ValueVectorChannel*>(channel)->GetVector());
    case ChildKind::Mesh:
      return JsonMesh(*static_cast<const MeshChannel*>(channel));
    case ChildKind::Material:
      return JsonMaterial(*static_cast<const MaterialChannel*>(channel), result.materialName);
    case ChildKind::Texture: {
      const auto* texture = static_cast<const TextureChannel*>(channel);
      return Json{{"flag", texture->GetTextureFlag()}, {"file", texture->GetTextureFile()}};
    }
    case ChildKind::MatrixCollection:
      return JsonKeys(*static_cast<const MatrixCollectionChannel*>(channel));
    case ChildKind::None:
    case ChildKind::SceneContainer:
      break;
  }
  return Json();
}

}  // namespace

Json JsonNumber(float value) {
  if (value == std::trunc(value) && std::fabs(value) <= kLargestExactInteger && !(value == 0 && std::signbit(value)))
    return Json(static_cast<std::int64_t>(value));
  return Json(value);
}

Json JsonVector(const D3DXVECTOR3& v) { return Json::array({JsonNumber(v.x), JsonNumber(v.y), JsonNumber(v.z)}); }

Json ResultToJson(const QueryResult& result) {
  const QueryRequest& request = *result.request;
  Json inputs = Json::object();
  for (const QueryInput& input : request.inputs)
    inputs[input.child.label] = input.child.kind == ChildKind::Text ? Json(input.text) : JsonNumber(input.number);
  Json outputs = Json::object();
  for (const QueryOutput& output : result.outputs) outputs[output.child.label] = OutputToJson(output, result);
  return Json{{"query", ShortName(*request.info)},
              {"info_type", static_cast<int>(request.info->value)},
              {"inputs", std::move(inputs)},
              {"outputs", std::move(outputs)},
              {"messages", result.messages}};
}

std::string DumpLine(const Json& json) {
  return json.dump(-1, ' ', false, nlohmann::detail::error_handler_t::replace);
}

}  // namespace sci
