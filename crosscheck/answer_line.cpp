#include "crosscheck/answer_line.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <variant>

#include "session/output_value.h"

namespace crosscheck {

namespace {

using Importing::InfoTypeInfo;

std::uint32_t Bits(float value) {
  std::uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

void AppendFloat(std::string& out, float value) {
  char text[12];
  std::snprintf(text, sizeof text, "\"%08x\"", static_cast<unsigned>(Bits(value)));
  out += text;
}

void AppendFloats(std::string& out, const float* values, int count) {
  out += '[';
  for (int i = 0; i < count; ++i) {
    if (i > 0) out += ',';
    AppendFloat(out, values[i]);
  }
  out += ']';
}

void AppendVector(std::string& out, const D3DXVECTOR3& v) {
  const float values[] = {v.x, v.y, v.z};
  AppendFloats(out, values, 3);
}

// Control characters escaped; other bytes as they are, so that both sides
// write the same bytes for the same text whatever its encoding.
void AppendString(std::string& out, const char* text) {
  if (text == nullptr) {
    out += "null";
    return;
  }
  out += '"';
  for (const char* c = text; *c != '\0'; ++c) {
    const auto byte = static_cast<unsigned char>(*c);
    if (byte == '"' || byte == '\\') {
      out += '\\';
      out += *c;
    } else if (byte < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(byte));
      out += escaped;
    } else {
      out += *c;
    }
  }
  out += '"';
}

// FNV-1a over the little-endian bytes of each value fed in.
class Digest {
 public:
  void Add(std::uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
      hash_ ^= (value >> (8 * i)) & 0xffu;
      hash_ *= 0x100000001b3ull;
    }
  }
  void Add(float value) { Add(Bits(value), 4); }
  void Add(const D3DXVECTOR3& v) {
    Add(v.x);
    Add(v.y);
    Add(v.z);
  }
  std::string Hex() const {
    char text[24];
    std::snprintf(text, sizeof text, "\"%016llx\"", static_cast<unsigned long long>(hash_));
    return text;
  }

 private:
  std::uint64_t hash_ = 0xcbf29ce484222325ull;
};

void AppendMesh(std::string& out, const MeshChannel& mesh) {
  Digest digest;
  for (const MeshChannel::Vertex& vertex : mesh.GetVertices()) {
    digest.Add(vertex.position);
    digest.Add(vertex.normal);
    digest.Add(vertex.uvs.size(), 4);
    for (const D3DXVECTOR2& uv : vertex.uvs) {
      digest.Add(uv.x);
      digest.Add(uv.y);
    }
  }
  for (const std::uint32_t index : mesh.GetIndices()) digest.Add(index, 4);
  out += "{\"primitive\":" + std::to_string(mesh.GetPrimitiveType()) +
         ",\"vertices\":" + std::to_string(mesh.GetVertices().size()) +
         ",\"indices\":" + std::to_string(mesh.GetIndices().size()) +
         ",\"rejected\":" + std::to_string(mesh.RejectedCalls()) + ",\"digest\":" + digest.Hex() + '}';
}

void AppendMaterial(std::string& out, const MaterialChannel& material) {
  out += "{\"name\":";
  AppendString(out, material.GetChannelName().c_str());
  out += ",\"diffuse\":";
  AppendVector(out, material.GetDiffuse());
  out += ",\"emissive\":";
  AppendVector(out, material.GetEmissive());
  out += ",\"specular\":";
  AppendVector(out, material.GetSpecular());
  out += ",\"power\":";
  AppendFloat(out, material.GetSpecularPower());
  out += ",\"parameters\":{";
  bool first = true;
  for (const auto& parameter : material.GetParameters()) {
    out += (first ? "\"" : ",\"") + std::to_string(parameter.first) + "\":";
    AppendFloat(out, parameter.second);
    first = false;
  }
  out += "}}";
}

void AppendKeys(std::string& out, const MatrixCollectionChannel& collection) {
  Digest digest;
  for (const AnimationKeyRecord& key : collection.GetKeys()) {
    digest.Add(key.time, 4);
    for (const float field : {key.rotationX, key.rotationY, key.rotationZ, key.rotationW, key.positionX,
                              key.positionY, key.positionZ, key.scaleX, key.scaleY, key.scaleZ})
      digest.Add(field);
  }
  out += "{\"keys\":" + std::to_string(collection.GetKeys().size()) +
         ",\"calls\":" + std::to_string(collection.CallCount()) + ",\"digest\":" + digest.Hex() + '}';
}

// Writes an output's value; null for no child.
struct ValueWriter {
  std::string& out;

  void operator()(std::monostate) { out += "null"; }
  void operator()(float value) { AppendFloat(out, value); }
  void operator()(sci::TextValue value) { AppendString(out, value.text); }
  void operator()(const D3DXMATRIX& matrix) { AppendFloats(out, &matrix.m[0][0], 16); }
  void operator()(const D3DXVECTOR3& vector) { AppendVector(out, vector); }
  void operator()(const MeshChannel* mesh) { AppendMesh(out, *mesh); }
  void operator()(const MaterialChannel* material) { AppendMaterial(out, *material); }
  void operator()(const TextureChannel* texture) {
    out += texture->GetTextureFlag() ? "{\"flag\":true,\"file\":" : "{\"flag\":false,\"file\":";
    AppendString(out, texture->GetTextureFile().c_str());
    out += '}';
  }
  void operator()(const MatrixCollectionChannel* collection) { AppendKeys(out, *collection); }
};

}  // namespace

std::string AnswerLine(const Question& question, const Orv_Channel& channel, const std::vector<std::string>& messages) {
  const InfoTypeInfo& info = *question.info;
  std::string out = "{\"query\":\"";
  out += info.name;
  out += "\",\"inputs\":[";
  if (info.children[0].kind == ChildKind::Text && !IsOutputChild(info, 1)) AppendString(out, question.name.c_str());
  for (std::size_t i = 0; i < question.numbers.size(); ++i) {
    if (i > 0) out += ',';
    AppendFloat(out, question.numbers[i]);
  }
  out += "],\"outputs\":[";
  bool first = true;
  for (int index = 1; index <= FurtherChildCount(info); ++index) {
    if (!IsOutputChild(info, index)) continue;
    if (!first) out += ',';
    first = false;
    std::visit(ValueWriter{out}, sci::ReadOutput(info.children[index - 1].kind, channel.GetChild(index)));
  }
  out += "],\"messages\":[";
  for (std::size_t i = 0; i < messages.size(); ++i) {
    if (i > 0) out += ',';
    AppendString(out, messages[i].c_str());
  }
  out += "]}";
  return out;
}

}  // namespace crosscheck
