#include "session/json_output.h"

#include <cmath>
#include <variant>

#include "session/value_text.h"

namespace sci {

namespace {

// Whole floats beyond this are left as floats; all below it are exact.
constexpr float kLargestExactInteger = 16777216.0f;

// Whether `value` prints as an integer: whole, not huge, and not -0.
bool IsPlainInteger(float value) {
  return value == std::trunc(value) && std::fabs(value) <= kLargestExactInteger && !(value == 0 && std::signbit(value));
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

// The parts of a result's JSON that depend only on the info type, each made
// by the JSON library once: the head up to the inputs and every key.
struct Fragments {
  std::string head;
  std::vector<std::string> inputKeys, outputKeys;  // with a leading comma but the first, and the colon
};

std::vector<std::string> Keys(const std::vector<QueryChild>& children) {
  std::vector<std::string> keys;
  for (const auto& child : children) keys.push_back((keys.empty() ? "" : ",") + DumpLine(Json(child.label)) + ':');
  return keys;
}

const Fragments& FragmentsOf(const InfoTypeInfo& info) {
  static const auto all = [] {
    std::vector<Fragments> fragments(Importing::kInfoTypeCount);
    for (const auto& type : Importing::kInfoTypes) {
      Fragments& f = fragments[type.value];
      f.head = "{\"query\":" + DumpLine(Json(ShortName(type))) + ",\"info_type\":" +
               std::to_string(static_cast<int>(type.value)) + ",\"inputs\":{";
      f.inputKeys = Keys(Inputs(type));
      f.outputKeys = Keys(Outputs(type));
    }
    return fragments;
  }();
  return all[info.value];
}

void AppendJsonString(std::string& out, const std::string& text) { out += DumpLine(Json(text)); }

void AppendJsonVector(std::string& out, const D3DXVECTOR3& v) {
  out += '[';
  AppendJsonNumber(out, v.x);
  out += ',';
  AppendJsonNumber(out, v.y);
  out += ',';
  AppendJsonNumber(out, v.z);
  out += ']';
}

// How many vertices or keys are written between two chances to spill.
constexpr std::size_t kItemsPerSpill = 512;

// {"primitive_type", "vertices": [{"position", "normal", "uv"}], "indices"},
// spilled to the sink as it is written.
void WriteMesh(TextSink& sink, const MeshChannel& mesh) {
  std::string& out = sink.text;
  out += "{\"primitive_type\":" + std::to_string(mesh.GetPrimitiveType()) + ",\"vertices\":[";
  const auto& vertices = mesh.GetVertices();
  for (std::size_t i = 0; i < vertices.size(); ++i) {
    const auto& vertex = vertices[i];
    out += i == 0 ? "{\"position\":" : ",{\"position\":";
    AppendJsonVector(out, vertex.position);
    out += ",\"normal\":";
    AppendJsonVector(out, vertex.normal);
    out += ",\"uv\":[";
    for (std::size_t set = 0; set < vertex.uvs.size(); ++set) {
      out += set == 0 ? "[" : ",[";
      AppendJsonNumber(out, vertex.uvs[set].x);
      out += ',';
      AppendJsonNumber(out, vertex.uvs[set].y);
      out += ']';
    }
    out += "]}";
    if (i % kItemsPerSpill == 0) sink.Spill();
  }
  out += "],\"indices\":[";
  const auto& indices = mesh.GetIndices();
  for (std::size_t i = 0; i < indices.size(); ++i) {
    if (i > 0) out += ',';
    out += std::to_string(indices[i]);
    if (i % (8 * kItemsPerSpill) == 0) sink.Spill();
  }
  out += "]}";
}

// {"keys": [{"time", "rotation", "position", "scale"}]}, spilled as written.
void WriteKeys(TextSink& sink, const MatrixCollectionChannel& collection) {
  std::string& out = sink.text;
  out += "{\"keys\":[";
  const auto& keys = collection.GetKeys();
  for (std::size_t i = 0; i < keys.size(); ++i) {
    const AnimationKeyRecord& key = keys[i];
    out += (i == 0 ? "{\"time\":" : ",{\"time\":") + std::to_string(key.time) + ",\"rotation\":[";
    AppendJsonNumber(out, key.rotationX);
    out += ',';
    AppendJsonNumber(out, key.rotationY);
    out += ',';
    AppendJsonNumber(out, key.rotationZ);
    out += ',';
    AppendJsonNumber(out, key.rotationW);
    out += "],\"position\":";
    AppendJsonVector(out, {key.positionX, key.positionY, key.positionZ});
    out += ",\"scale\":";
    AppendJsonVector(out, {key.scaleX, key.scaleY, key.scaleZ});
    out += '}';
    if (i % kItemsPerSpill == 0) sink.Spill();
  }
  out += "]}";
}

// Writes an output's value as JSON; null for no child or no text.
struct ValueWriter {
  TextSink& sink;
  const Answer& answer;

  void operator()(std::monostate) { sink.text += "null"; }
  void operator()(float value) { AppendJsonNumber(sink.text, value); }
  void operator()(TextValue value) {
    if (value.text == nullptr) sink.text += "null";
    else AppendJsonString(sink.text, value.text);
  }
  void operator()(const D3DXMATRIX& matrix) {
    for (int i = 0; i < 16; ++i) {
      sink.text += i == 0 ? '[' : ',';
      AppendJsonNumber(sink.text, matrix.m[i / 4][i % 4]);
    }
    sink.text += ']';
  }
  void operator()(const D3DXVECTOR3& vector) { AppendJsonVector(sink.text, vector); }
  void operator()(const MeshChannel* mesh) { WriteMesh(sink, *mesh); }
  void operator()(const MaterialChannel* material) {
    sink.text += DumpLine(JsonMaterial(*material, answer.materialName));
  }
  void operator()(const TextureChannel* texture) {
    sink.text += DumpLine(Json{{"flag", texture->GetTextureFlag()}, {"file", texture->GetTextureFile()}});
  }
  void operator()(const MatrixCollectionChannel* collection) { WriteKeys(sink, *collection); }
};

}  // namespace

Json JsonNumber(float value) {
  if (IsPlainInteger(value)) return Json(static_cast<std::int64_t>(value));
  return Json(value);
}

void AppendJsonNumber(std::string& out, float value) {
  if (!std::isfinite(value)) out += "null";
  else if (IsPlainInteger(value)) out += std::to_string(static_cast<std::int64_t>(value));
  else AppendFloat(out, value);
}

Json JsonVector(const D3DXVECTOR3& v) { return Json::array({JsonNumber(v.x), JsonNumber(v.y), JsonNumber(v.z)}); }

void WriteAnswerJson(const Answer& answer, TextSink& sink) {
  std::string& out = sink.text;
  const QueryRequest& request = *answer.request;
  const Fragments& fragments = FragmentsOf(*request.info);
  out += fragments.head;
  for (std::size_t i = 0; i < request.inputs.size(); ++i) {
    const QueryInput& input = request.inputs[i];
    out += fragments.inputKeys[i];
    if (input.child.kind == ChildKind::Text) AppendJsonString(out, input.text);
    else AppendJsonNumber(out, input.number);
  }
  out += "},\"outputs\":{";
  for (std::size_t i = 0; i < answer.outputs.size(); ++i) {
    out += fragments.outputKeys[i];
    std::visit(ValueWriter{sink, answer}, answer.outputs[i].value);
  }
  out += "},\"names\":{";
  bool named = false;
  for (std::size_t i = 0; i < answer.outputs.size(); ++i) {
    const float* value = std::get_if<float>(&answer.outputs[i].value);
    if (value == nullptr) continue;
    const std::string name = ValueName(*request.info, *value);
    if (name.empty()) continue;
    // The output keys carry a leading comma except the first.
    const std::string& key = fragments.outputKeys[i];
    out += named ? (key[0] == ',' ? key : ',' + key) : (key[0] == ',' ? key.substr(1) : key);
    AppendJsonString(out, name);
    named = true;
  }
  out += "},\"messages\":[";
  for (std::size_t i = 0; i < answer.messages.size(); ++i) {
    if (i > 0) out += ',';
    AppendJsonString(out, answer.messages[i]);
  }
  out += "]}";
}

std::string DumpLine(const Json& json) {
  return json.dump(-1, ' ', false, nlohmann::detail::error_handler_t::replace);
}

}  // namespace sci
