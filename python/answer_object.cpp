#include "python/answer_object.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <variant>

#include "session/json_output.h"
#include "session/value_text.h"

namespace py = pybind11;

namespace sceneinfo {

namespace {

// Whole floats up to this are exact integers, as the JSON writer has it.
constexpr float kLargestExactInteger = 16777216.0f;

// A float as json.loads reads the JSON writer's text of it: None for
// infinities and NaN, an int for a whole number, else the double nearest to
// the float's shortest text.
py::object Number(float value) {
  if (!std::isfinite(value)) return py::none();
  if (value == std::trunc(value) && std::fabs(value) <= kLargestExactInteger && !(value == 0 && std::signbit(value)))
    return py::int_(static_cast<std::int64_t>(value));
  char text[32];
  const auto written = std::to_chars(text, text + sizeof text, value);
  double nearest = 0;
  std::from_chars(text, written.ptr, nearest);
  return py::float_(nearest);
}

template <std::size_t N>
py::list Numbers(const float (&values)[N]) {
  py::list list(N);
  for (std::size_t i = 0; i < N; ++i) list[i] = Number(values[i]);
  return list;
}

py::list Vector(const D3DXVECTOR3& v) { return Numbers({v.x, v.y, v.z}); }

// A text as json.loads reads the JSON writer's text of it; bytes that are
// not UTF-8 are replaced as that writer replaces them.
py::object Text(const char* text, std::size_t size) {
  PyObject* decoded = PyUnicode_DecodeUTF8(text, static_cast<Py_ssize_t>(size), nullptr);
  if (decoded != nullptr) return py::reinterpret_steal<py::object>(decoded);
  PyErr_Clear();
  return py::module_::import("json").attr("loads")(sci::DumpLine(sci::Json(std::string(text, size))));
}
py::object Text(const std::string& text) { return Text(text.data(), text.size()); }

py::dict Mesh(const MeshChannel& mesh) {
  py::list vertices;
  for (const MeshChannel::Vertex& vertex : mesh.GetVertices()) {
    py::list uvs;
    for (const D3DXVECTOR2& uv : vertex.uvs) uvs.append(Numbers({uv.x, uv.y}));
    py::dict item;
    item["position"] = Vector(vertex.position);
    item["normal"] = Vector(vertex.normal);
    item["uv"] = uvs;
    vertices.append(item);
  }
  py::list indices;
  for (const std::uint32_t index : mesh.GetIndices()) indices.append(index);
  py::dict result;
  result["primitive_type"] = mesh.GetPrimitiveType();
  result["vertices"] = vertices;
  result["indices"] = indices;
  return result;
}

py::dict Material(const MaterialChannel& material, const std::string& name) {
  const auto& parameters = material.GetParameters();
  const auto opacity = parameters.find(MaterialChannel::kOpacityParameter);
  py::dict result;
  result["name"] = Text(name);
  result["diffuse"] = Vector(material.GetDiffuse());
  result["emissive"] = Vector(material.GetEmissive());
  result["specular"] = Vector(material.GetSpecular());
  result["specular_power"] = Number(material.GetSpecularPower());
  result["opacity"] = opacity == parameters.end() ? py::none() : Number(opacity->second);
  return result;
}

py::dict KeyList(const MatrixCollectionChannel& collection) {
  py::list keys;
  for (const AnimationKeyRecord& key : collection.GetKeys()) {
    py::dict item;
    item["time"] = key.time;
    item["rotation"] = Numbers({key.rotationX, key.rotationY, key.rotationZ, key.rotationW});
    item["position"] = Vector({key.positionX, key.positionY, key.positionZ});
    item["scale"] = Vector({key.scaleX, key.scaleY, key.scaleZ});
    keys.append(item);
  }
  py::dict result;
  result["keys"] = keys;
  return result;
}

// An output's value as the JSON writer writes it, read back.
struct ValueObject {
  const sci::Answer& answer;

  py::object operator()(std::monostate) const { return py::none(); }
  py::object operator()(float value) const { return Number(value); }
  py::object operator()(sci::TextValue value) const {
    return value.text == nullptr ? py::none() : Text(value.text, std::strlen(value.text));
  }
  py::object operator()(const D3DXMATRIX& matrix) const {
    py::list list(16);
    for (std::size_t i = 0; i < 16; ++i) list[i] = Number(matrix.m[i / 4][i % 4]);
    return list;
  }
  py::object operator()(const D3DXVECTOR3& vector) const { return Vector(vector); }
  py::object operator()(const MeshChannel* mesh) const { return Mesh(*mesh); }
  py::object operator()(const MaterialChannel* material) const { return Material(*material, answer.materialName); }
  py::object operator()(const TextureChannel* texture) const {
    py::dict result;
    result["flag"] = py::bool_(texture->GetTextureFlag());
    result["file"] = Text(texture->GetTextureFile());
    return result;
  }
  py::object operator()(const MatrixCollectionChannel* collection) const { return KeyList(*collection); }
};

// The Python objects that depend only on the info type. Like the keys below,
// made on first use and never freed: they must not be released after the
// interpreter has gone.
struct Names {
  py::str query;
  py::int_ infoType;
  std::vector<py::str> inputs, outputs;  // the child labels
};

// The keys of every answer.
struct AnswerKeys {
  py::str query{"query"}, infoType{"info_type"}, inputs{"inputs"}, outputs{"outputs"}, names{"names"},
      messages{"messages"};
};

const AnswerKeys& Keys() {
  static const auto* keys = new AnswerKeys;
  return *keys;
}

const Names& NamesOf(const sci::InfoTypeInfo& info) {
  static const auto* all = [] {
    auto* names = new std::array<Names, Importing::kInfoTypeCount>;
    for (const auto& type : Importing::kInfoTypes) {
      Names& n = (*names)[type.value];
      n.query = py::str(sci::ShortName(type));
      n.infoType = py::int_(static_cast<int>(type.value));
      for (const auto& child : sci::Inputs(type)) n.inputs.emplace_back(child.label);
      for (const auto& child : sci::Outputs(type)) n.outputs.emplace_back(child.label);
    }
    return names;
  }();
  return (*all)[info.value];
}

}  // namespace

py::dict AnswerObject(const sci::Answer& answer) {
  const sci::QueryRequest& request = *answer.request;
  const Names& names = NamesOf(*request.info);
  py::dict inputs;
  for (std::size_t i = 0; i < request.inputs.size(); ++i) {
    const sci::QueryInput& input = request.inputs[i];
    inputs[names.inputs[i]] = input.child.kind == ChildKind::Text ? Text(input.text) : Number(input.number);
  }
  py::dict outputs, valueNames;
  for (std::size_t i = 0; i < answer.outputs.size(); ++i) {
    const sci::OutputValue& value = answer.outputs[i].value;
    outputs[names.outputs[i]] = std::visit(ValueObject{answer}, value);
    if (const float* number = std::get_if<float>(&value)) {
      const std::string name = sci::ValueName(*request.info, *number);
      if (!name.empty()) valueNames[names.outputs[i]] = py::str(name);
    }
  }
  py::list messages(answer.messages.size());
  for (std::size_t i = 0; i < answer.messages.size(); ++i) messages[i] = Text(answer.messages[i]);
  const AnswerKeys& keys = Keys();
  py::dict result;
  result[keys.query] = names.query;
  result[keys.infoType] = names.infoType;
  result[keys.inputs] = inputs;
  result[keys.outputs] = outputs;
  result[keys.names] = valueNames;
  result[keys.messages] = messages;
  return result;
}

}  // namespace sceneinfo
