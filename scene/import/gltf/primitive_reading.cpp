#include "scene/import/gltf/primitive_reading.h"

#include <cstdint>
#include <map>
#include <numeric>

#include "host/huge_pages.h"
#include "scene/import/gltf/draco_decoding.h"
#include "scene/import/vertex_welding.h"

namespace Importing::Import::Gltf {
namespace {

enum Mode { kPoints = 0, kLines, kLineLoop, kLineStrip, kTriangles, kTriangleStrip, kTriangleFan };

// The attributes a geometry record keeps, decoded to floats.
struct Attributes {
  std::uint64_t vertexCount = 0;
  std::optional<FloatElements> positions, normals;
  std::vector<std::optional<FloatElements>> uvSets;  // by set number; empty for a set the file skips
  std::vector<std::uint32_t> indices;
  bool indexed = false;
};

// TEXCOORD_n's set number, or -1 for another semantic.
int UvSetNumber(std::string_view semantic) {
  if (semantic.substr(0, 9) != "TEXCOORD_" || semantic.size() == 9 || semantic.size() > 11) return -1;
  int number = 0;
  for (const char c : semantic.substr(9)) {
    if (c < '0' || c > '9') return -1;
    number = number * 10 + (c - '0');
  }
  return number;
}

int ComponentsFor(std::string_view semantic) {
  if (semantic == "POSITION" || semantic == "NORMAL") return 3;
  return UvSetNumber(semantic) >= 0 ? 2 : 0;
}

void Store(Attributes& out, std::string_view semantic, FloatElements values) {
  if (semantic == "POSITION") out.positions = std::move(values);
  else if (semantic == "NORMAL") out.normals = std::move(values);
  else {
    const auto set = static_cast<std::size_t>(UvSetNumber(semantic));
    if (out.uvSets.size() <= set) out.uvSets.resize(set + 1);
    out.uvSets[set] = std::move(values);
  }
}

Attributes ReadDraco(const Document& document, const JsonValue& primitive, const JsonValue& draco,
                     const JsonValue& attributes) {
  std::map<std::string, DracoAttributeRequest> requests;
  draco.At("attributes").ForEachMember([&](std::string_view semantic, const JsonValue& id) {
    const int components = ComponentsFor(semantic);
    if (components > 0) requests[std::string(semantic)] = {static_cast<std::uint32_t>(id.AsIndex()), components};
  });
  const std::string place = draco.Place();
  const DracoPrimitive decoded = DecodeDraco(document.data.View(draco.Index("bufferView"), place), requests, place);
  Attributes out;
  out.vertexCount = decoded.vertexCount;
  if (const auto position = attributes.OptionalIndex("POSITION")) {
    const std::uint64_t claimed = document.data.ElementCount(*position, attributes.Place() + ".POSITION");
    if (claimed != decoded.vertexCount)
      draco.Fail("decodes " + std::to_string(decoded.vertexCount) + " vertices where the POSITION accessor claims " +
                 std::to_string(claimed));
  }
  for (const auto& [semantic, values] : decoded.attributes) Store(out, semantic, FloatElements::Of(values, ComponentsFor(semantic)));
  out.indices = decoded.indices;
  out.indexed = primitive.Find("indices").has_value() || !decoded.indices.empty();
  return out;
}

Attributes ReadPlain(const Document& document, const JsonValue& primitive, const JsonValue& attributes) {
  Attributes out;
  const auto position = attributes.OptionalIndex("POSITION");
  if (!position) return out;
  out.vertexCount = document.data.ElementCount(*position, attributes.Place() + ".POSITION");
  attributes.ForEachMember([&](std::string_view semantic, const JsonValue& id) {
    const int components = ComponentsFor(semantic);
    if (components == 0) return;
    const std::string user = id.Place();
    const std::uint64_t count = document.data.ElementCount(id.AsIndex(), user);
    if (count != out.vertexCount)
      id.Fail("has " + std::to_string(count) + " elements where POSITION has " + std::to_string(out.vertexCount));
    Store(out, semantic, document.data.Elements(id.AsIndex(), components, user));
  });
  if (const auto indices = primitive.OptionalIndex("indices")) {
    out.indices = document.data.Indices(*indices, primitive.Place() + ".indices");
    out.indexed = true;
  }
  return out;
}

// The primitive's indices as the faces of its mode list them.
std::vector<std::uint32_t> Faces(std::vector<std::uint32_t> in, int mode, std::vector<std::string>& warnings,
                                 const std::string& place) {
  const std::size_t n = in.size();
  std::vector<std::uint32_t> out;
  const auto dropped = [&](const char* kind) {
    warnings.push_back(place + ": " + std::to_string(n) + " indices are not whole " + kind + "; the rest is dropped");
  };
  switch (mode) {
    case kPoints:
      return in;
    case kLines:
      if (n % 2 != 0) dropped("lines");
      in.resize(n - n % 2);
      return in;
    case kLineLoop:
    case kLineStrip:
      if (n < 2) return out;
      for (std::size_t i = 0; i + 1 < n; ++i) out.insert(out.end(), {in[i], in[i + 1]});
      if (mode == kLineLoop) out.insert(out.end(), {in[n - 1], in[0]});
      return out;
    case kTriangles:
      if (n % 3 != 0) dropped("triangles");
      in.resize(n - n % 3);
      return in;
    case kTriangleStrip:
      for (std::size_t i = 0; i + 2 < n; ++i) {
        if (i % 2 == 0) out.insert(out.end(), {in[i], in[i + 1], in[i + 2]});
        else out.insert(out.end(), {in[i + 1], in[i], in[i + 2]});
      }
      return out;
    default:  // kTriangleFan
      for (std::size_t i = 1; i + 1 < n; ++i) out.insert(out.end(), {in[0], in[i], in[i + 1]});
      return out;
  }
}

bool ListsEachVertexOnceInOrder(const std::vector<std::uint32_t>& indices, std::size_t vertexCount) {
  if (indices.size() != vertexCount) return false;
  for (std::size_t i = 0; i < indices.size(); ++i)
    if (indices[i] != i) return false;
  return true;
}

}  // namespace

void ReadPrimitive(const Document& document, const JsonValue& primitive, Geometry& geometry) {
  const std::uint64_t mode = primitive.OptionalIndex("mode").value_or(kTriangles);
  if (mode > kTriangleFan) primitive.Fail("mode " + std::to_string(mode) + " is not one of the format's");
  const JsonValue attributes = primitive.At("attributes");
  std::optional<JsonValue> draco;
  if (const auto extensions = primitive.Find("extensions")) draco = extensions->Find("KHR_draco_mesh_compression");
  Attributes read = draco ? ReadDraco(document, primitive, *draco, attributes) : ReadPlain(document, primitive, attributes);

  if (read.vertexCount > 0 && !read.positions) primitive.Fail("has vertices but no POSITION");
  if (!read.indexed) {
    read.indices.resize(read.vertexCount);
    std::iota(read.indices.begin(), read.indices.end(), 0u);
  }
  for (std::size_t k = 0; k < read.indices.size(); ++k)
    if (read.indices[k] >= read.vertexCount)
      primitive.Fail("index " + std::to_string(read.indices[k]) + " at position " + std::to_string(k) +
                     " is past its " + std::to_string(read.vertexCount) + " vertices");

  const std::string place = primitive.Place();
  std::size_t uvSets = read.uvSets.size();
  for (std::size_t set = 0; set < uvSets; ++set)
    if (!read.uvSets[set])
      document.warnings.push_back(place + ": has no TEXCOORD_" + std::to_string(set) +
                                  " but a later set; that set is given zeros");
  if (uvSets > Vertex::kMaxUVSets) {
    document.warnings.push_back(place + ": has " + std::to_string(uvSets) + " UV sets; only the first " +
                                std::to_string(Vertex::kMaxUVSets) + " are kept");
    uvSets = Vertex::kMaxUVSets;
  }

  geometry.SetPrimitiveSize(mode == kPoints ? 1 : mode <= kLineStrip ? 2 : 3);
  geometry.Vertices.reserve(read.vertexCount);
  AdviseHugePages(geometry.Vertices.data(), read.vertexCount * sizeof(Vertex));
  for (std::uint64_t i = 0; i < read.vertexCount; ++i) {
    float p[3], n[3] = {0, 0, 0};
    read.positions->Read(i, p);
    if (read.normals) read.normals->Read(i, n);
    Vertex& vertex = geometry.Vertices.emplace_back(D3DXVECTOR3{p[0], p[1], p[2]}, D3DXVECTOR3{n[0], n[1], n[2]});
    for (std::size_t set = 0; set < uvSets; ++set) {
      float uv[2] = {0, 1};  // (0, 0) once V is flipped
      if (read.uvSets[set]) read.uvSets[set]->Read(i, uv);
      vertex.AddUV({uv[0], 1 - uv[1]});
    }
  }
  geometry.Indices = Faces(std::move(read.indices), static_cast<int>(mode), document.warnings, place);
  if (ListsEachVertexOnceInOrder(geometry.Indices, geometry.Vertices.size())) WeldIdenticalVertices(geometry);
  geometry.UpdateBoundingBox();
}

}  // namespace Importing::Import::Gltf
