#pragma once

// 3D files generated for benchmarks, so that this program and others read
// the very same bytes: a binary glTF of a node tree with grid meshes.

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

namespace bench {

// A binary glTF with `nodeCount` nodes in a tree (eight children each, named
// "node<ID>"), and `meshCount` meshes of `trianglesPerMesh` triangles each
// (indexed grids with positions, normals and one UV set), mesh k carried by
// node k * nodeCount / meshCount. Returns false when it cannot be written.
inline bool WriteGridTreeGlb(const std::filesystem::path& path, int nodeCount, int meshCount,
                             int trianglesPerMesh) {
  const int quads = trianglesPerMesh / 2;
  const int columns = 20, rows = (quads + columns - 1) / columns;
  const int vertices = (columns + 1) * (rows + 1);

  std::vector<unsigned char> bin;
  auto put = [&bin](const void* data, std::size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    bin.insert(bin.end(), bytes, bytes + size);
  };
  std::string views, accessors, meshes;
  auto addView = [&](std::size_t offset, std::size_t length) {
    if (!views.empty()) views += ',';
    views += "{\"buffer\":0,\"byteOffset\":" + std::to_string(offset) + ",\"byteLength\":" + std::to_string(length) + "}";
  };
  int accessorCount = 0;
  auto addAccessor = [&](int componentType, int count, const char* type, const std::string& extra) {
    if (!accessors.empty()) accessors += ',';
    accessors += "{\"bufferView\":" + std::to_string(accessorCount) + ",\"componentType\":" +
                 std::to_string(componentType) + ",\"count\":" + std::to_string(count) + ",\"type\":\"" + type +
                 "\"" + extra + "}";
    return accessorCount++;
  };

  for (int m = 0; m < meshCount; ++m) {
    const float z = static_cast<float>(m);
    std::size_t start = bin.size();
    for (int r = 0; r <= rows; ++r)
      for (int c = 0; c <= columns; ++c) {
        const float p[3] = {static_cast<float>(c), static_cast<float>(r), z};
        put(p, sizeof p);
      }
    addView(start, bin.size() - start);
    const int position = addAccessor(
        5126, vertices, "VEC3",
        ",\"min\":[0,0," + std::to_string(m) + "],\"max\":[" + std::to_string(columns) + "," +
            std::to_string(rows) + "," + std::to_string(m) + "]");
    start = bin.size();
    for (int v = 0; v < vertices; ++v) {
      const float n[3] = {0, 0, 1};
      put(n, sizeof n);
    }
    addView(start, bin.size() - start);
    const int normal = addAccessor(5126, vertices, "VEC3", "");
    start = bin.size();
    for (int r = 0; r <= rows; ++r)
      for (int c = 0; c <= columns; ++c) {
        const float uv[2] = {static_cast<float>(c) / columns, static_cast<float>(r) / rows};
        put(uv, sizeof uv);
      }
    addView(start, bin.size() - start);
    const int uv = addAccessor(5126, vertices, "VEC2", "");
    start = bin.size();
    int indexCount = 0;
    for (int q = 0; q < quads; ++q) {
      const std::uint32_t a = static_cast<std::uint32_t>((q / columns) * (columns + 1) + q % columns);
      const std::uint32_t quad[6] = {a, a + 1, a + columns + 1, a + 1, a + columns + 2, a + columns + 1};
      put(quad, sizeof quad);
      indexCount += 6;
    }
    addView(start, bin.size() - start);
    const int indices = addAccessor(5125, indexCount, "SCALAR", "");
    if (!meshes.empty()) meshes += ',';
    meshes += "{\"primitives\":[{\"attributes\":{\"POSITION\":" + std::to_string(position) +
              ",\"NORMAL\":" + std::to_string(normal) + ",\"TEXCOORD_0\":" + std::to_string(uv) +
              "},\"indices\":" + std::to_string(indices) + ",\"material\":0}]}";
  }

  std::vector<std::string> children(static_cast<std::size_t>(nodeCount));
  for (int id = 1; id < nodeCount; ++id) {
    std::string& list = children[static_cast<std::size_t>((id - 1) / 8)];
    if (!list.empty()) list += ',';
    list += std::to_string(id);
  }
  std::vector<int> meshOfNode(static_cast<std::size_t>(nodeCount), -1);
  for (int m = 0; m < meshCount; ++m)
    meshOfNode[static_cast<std::size_t>(static_cast<long long>(m) * nodeCount / meshCount)] = m;
  std::string nodes;
  for (int id = 0; id < nodeCount; ++id) {
    if (!nodes.empty()) nodes += ',';
    nodes += "{\"name\":\"node" + std::to_string(id) + "\",\"translation\":[1,0,0]";
    if (!children[static_cast<std::size_t>(id)].empty()) nodes += ",\"children\":[" + children[static_cast<std::size_t>(id)] + "]";
    if (meshOfNode[static_cast<std::size_t>(id)] >= 0) nodes += ",\"mesh\":" + std::to_string(meshOfNode[static_cast<std::size_t>(id)]);
    nodes += '}';
  }
  while (bin.size() % 4) bin.push_back(0);
  std::string json = "{\"asset\":{\"version\":\"2.0\"},\"scene\":0,\"scenes\":[{\"nodes\":[0]}],\"nodes\":[" + nodes +
                     "],\"meshes\":[" + meshes + "],\"materials\":[{\"name\":\"grid\"}],\"buffers\":[{\"byteLength\":" +
                     std::to_string(bin.size()) + "}],\"bufferViews\":[" + views + "],\"accessors\":[" + accessors + "]}";
  while (json.size() % 4) json += ' ';

  std::FILE* file = std::fopen(path.string().c_str(), "wb");
  if (!file) return false;
  auto word = [file](std::uint32_t value) { std::fwrite(&value, 4, 1, file); };
  word(0x46546C67u);  // "glTF"
  word(2);
  word(static_cast<std::uint32_t>(12 + 8 + json.size() + 8 + bin.size()));
  word(static_cast<std::uint32_t>(json.size()));
  word(0x4E4F534Au);  // "JSON"
  std::fwrite(json.data(), 1, json.size(), file);
  word(static_cast<std::uint32_t>(bin.size()));
  word(0x004E4942u);  // "BIN"
  std::fwrite(bin.data(), 1, bin.size(), file);
  return std::fclose(file) == 0;
}

// A Wavefront OBJ of one grid mesh of `side` x `side` vertices (positions,
// normals, one UV set) and its 2 (side - 1)^2 triangles. Returns false when
// it cannot be written.
inline bool WriteGridObj(const std::filesystem::path& path, int side) {
  std::FILE* file = std::fopen(path.string().c_str(), "wb");
  if (!file) return false;
  std::fprintf(file, "o grid\n");
  const float step = 1.0f / static_cast<float>(side - 1);
  for (int r = 0; r < side; ++r)
    for (int c = 0; c < side; ++c) std::fprintf(file, "v %g %g %g\n", c * step, r * step, 0.01f * ((r + c) % 7));
  for (int r = 0; r < side; ++r)
    for (int c = 0; c < side; ++c) std::fprintf(file, "vt %g %g\n", c * step, r * step);
  std::fprintf(file, "vn 0 0 1\n");
  for (int r = 0; r + 1 < side; ++r)
    for (int c = 0; c + 1 < side; ++c) {
      const int a = r * side + c + 1, b = a + 1, d = a + side, e = d + 1;
      std::fprintf(file, "f %d/%d/1 %d/%d/1 %d/%d/1\nf %d/%d/1 %d/%d/1 %d/%d/1\n", a, a, b, b, e, e, a, a, e, e, d, d);
    }
  return std::fclose(file) == 0;
}

// A folder of its own under the system's temporary folder, removed with it.
class TempFolder {
 public:
  TempFolder() {
    path_ = std::filesystem::temp_directory_path() / ("sci-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(path_);
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// The benchmark scene: 1,000,000 triangles in 1,000 meshes, 20,000 nodes.
inline constexpr int kGeneratedNodes = 20000;
inline constexpr int kGeneratedMeshes = 1000;
inline constexpr int kGeneratedTrianglesPerMesh = 1000;

}  // namespace bench
