#include "session/text_output.h"

#include <algorithm>
#include <string_view>
#include <variant>

#include "host/material_channels.h"
#include "host/matrix_collection_channel.h"
#include "host/mesh_channel.h"
#include "host/value_channels.h"
#include "scene/records.h"
#include "session/printable.h"
#include "session/value_text.h"

namespace sci {

namespace {

// How much of a long mesh or key list the summary shows.
constexpr std::size_t kSummaryVertices = 4;
constexpr std::size_t kSummaryIndices = 24;
constexpr std::size_t kSummaryKeys = 8;

// XML outputs are printed bare, so that they can be redirected to a file;
// only control characters, which XML cannot hold anyway, are escaped.
bool IsXmlOutput(const QueryChild& child) { return child.meaning.output == Importing::OutputMeaning::Xml; }

void AppendMatrix(std::string& out, const D3DXMATRIX& matrix) {
  std::string cells[4][4];
  std::size_t width = 0;
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) width = std::max(width, (cells[r][c] = NumberText(matrix.m[r][c])).size());
  for (const auto& row : cells) {
    out += ' ';
    for (const auto& cell : row) out.append(width + 2 - cell.size(), ' ') += cell;
    out += '\n';
  }
}

void AppendMesh(std::string& out, const MeshChannel& mesh, bool full) {
  const auto& vertices = mesh.GetVertices();
  const auto& indices = mesh.GetIndices();
  std::size_t uvSets = 0;
  for (const auto& vertex : vertices) uvSets = std::max(uvSets, vertex.uvs.size());
  out += "  primitive type: " + std::to_string(mesh.GetPrimitiveType()) + " (" +
         PrimitiveTypeName(mesh.GetPrimitiveType()) + ")\n";
  out += "  vertices: " + std::to_string(vertices.size()) + ", indices: " + std::to_string(indices.size()) +
         ", UV sets: " + std::to_string(uvSets) + "\n";
  const std::size_t shownVertices = full ? vertices.size() : std::min(vertices.size(), kSummaryVertices);
  for (std::size_t i = 0; i < shownVertices; ++i) {
    out += "  vertex " + std::to_string(i) + ": position ";
    AppendVector(out, vertices[i].position);
    out += "; normal ";
    AppendVector(out, vertices[i].normal);
    for (std::size_t set = 0; set < vertices[i].uvs.size(); ++set) {
      out += "; uv" + std::to_string(set) + ' ';
      AppendNumber(out, vertices[i].uvs[set].x);
      out += ", ";
      AppendNumber(out, vertices[i].uvs[set].y);
    }
    out += '\n';
  }
  if (shownVertices < vertices.size())
    out += "  ... " + std::to_string(vertices.size() - shownVertices) + " more vertices (--full shows all)\n";
  const std::size_t shownIndices = full ? indices.size() : std::min(indices.size(), kSummaryIndices);
  if (shownIndices > 0) {
    out += "  indices:";
    for (std::size_t i = 0; i < shownIndices; ++i) out += ' ' + std::to_string(indices[i]);
    if (shownIndices < indices.size()) out += " ...";
    out += '\n';
  }
}

void AppendMaterial(std::string& out, const MaterialChannel& material, const std::string& name) {
  out += "  name: " + Printable(name) + "\n  diffuse: ";
  AppendVector(out, material.GetDiffuse());
  out += "\n  emissive: ";
  AppendVector(out, material.GetEmissive());
  out += "\n  specular: ";
  AppendVector(out, material.GetSpecular());
  out += "\n  specular power: ";
  AppendNumber(out, material.GetSpecularPower());
  out += "\n  opacity: ";
  const auto& parameters = material.GetParameters();
  const auto opacity = parameters.find(MaterialChannel::kOpacityParameter);
  if (opacity == parameters.end()) out += "(not set)";
  else AppendNumber(out, opacity->second);
  out += '\n';
}

void AppendKeys(std::string& out, const MatrixCollectionChannel& collection, bool full) {
  const auto& keys = collection.GetKeys();
  const std::size_t shown = full ? keys.size() : std::min(keys.size(), kSummaryKeys);
  for (std::size_t i = 0; i < shown; ++i) {
    const AnimationKeyRecord& key = keys[i];
    out += "  key " + std::to_string(i) + ": time " + std::to_string(key.time) + " (";
    AppendNumber(out, static_cast<float>(key.time) / static_cast<float>(Importing::TICKS_PER_SECOND));
    out += " s); rotation ";
    AppendVector(out, {key.rotationX, key.rotationY, key.rotationZ});
    out += ", ";
    AppendNumber(out, key.rotationW);
    out += "; position ";
    AppendVector(out, {key.positionX, key.positionY, key.positionZ});
    out += "; scale ";
    AppendVector(out, {key.scaleX, key.scaleY, key.scaleZ});
    out += '\n';
  }
  if (shown < keys.size()) out += "  ... " + std::to_string(keys.size() - shown) + " more keys (--full shows all)\n";
}

// A one-line text after the label; a longer one on its own lines, indented.
void AppendTextValue(std::string& out, const char* text) {
  if (text == nullptr) {
    out += " (none)\n";
    return;
  }
  std::string_view rest(text);
  while (!rest.empty() && rest.back() == '\n') rest.remove_suffix(1);
  if (rest.empty()) {
    out += '\n';
    return;
  }
  if (rest.find('\n') == std::string_view::npos) {
    out += ' ';
    AppendPrintable(out, rest);
    out += '\n';
    return;
  }
  out += '\n';
  while (!rest.empty()) {
    const std::size_t end = std::min(rest.find('\n'), rest.size());
    out += "  ";
    AppendPrintable(out, rest.substr(0, end));
    out += '\n';
    rest.remove_prefix(std::min(end + 1, rest.size()));
  }
}

// Writes an output's value after its label and the colon.
struct ValueWriter {
  std::string& out;
  const Answer& answer;
  bool full;

  void operator()(std::monostate) { out += " (no channel)\n"; }
  void operator()(float value) {
    out += ' ';
    AppendNumber(out, value);
    out += ValueSuffix(*answer.request->info, value) + '\n';
  }
  void operator()(TextValue value) { AppendTextValue(out, value.text); }
  void operator()(const D3DXMATRIX& matrix) {
    out += '\n';
    AppendMatrix(out, matrix);
  }
  void operator()(const D3DXVECTOR3& vector) {
    out += ' ';
    AppendVector(out, vector);
    out += '\n';
  }
  void operator()(const MeshChannel* mesh) {
    out += '\n';
    AppendMesh(out, *mesh, full);
  }
  void operator()(const MaterialChannel* material) {
    out += '\n';
    AppendMaterial(out, *material, answer.materialName);
  }
  void operator()(const TextureChannel* texture) {
    out += "\n  flag: ";
    out += texture->GetTextureFlag() ? "true" : "false";
    out += "\n  file: " + Printable(texture->GetTextureFile()) + '\n';
  }
  void operator()(const MatrixCollectionChannel* collection) {
    out += ' ' + std::to_string(collection->GetKeys().size()) + " keys\n";
    AppendKeys(out, *collection, full);
  }
};

}  // namespace

void AppendVector(std::string& out, const D3DXVECTOR3& v) {
  AppendNumber(out, v.x);
  out += ", ";
  AppendNumber(out, v.y);
  out += ", ";
  AppendNumber(out, v.z);
}

void AppendText(const Answer& answer, bool full, std::string& out) {
  for (const AnswerOutput& output : answer.outputs) {
    if (IsXmlOutput(output.child)) {
      const auto* value = std::get_if<TextValue>(&output.value);
      if (value == nullptr || value->text == nullptr || *value->text == '\0') {
        out += output.child.label;
        out += ": (empty)\n";
        continue;
      }
      AppendWithoutControls(out, value->text);
      if (out.back() != '\n') out += '\n';
      continue;
    }
    out += output.child.label;
    out += ':';
    std::visit(ValueWriter{out, answer, full}, output.value);
  }
}

}  // namespace sci
