// Writes small seed inputs for the fuzzers: fuzz_make_seeds DIR writes
// DIR/<fuzzer>/<seed>. Seeds made here come from the real writers (project
// files from saved channels), so the fuzzers start from well-formed input.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <iterator>
#include <vector>

#include "channel/scene_container_info.h"
#include "host/orv_file.h"
#include "host/project_file.h"
#include "host/value_channels.h"
#include "module/entry_points.h"
#include "scene/import/scene_importer.h"
#include "scene/scene_container.h"
#include "scene/snapshot/snapshot.h"
#include "session/query_table.h"

namespace {

namespace fs = std::filesystem;
using namespace Importing;

void Write(const fs::path& dir, const std::string& name, const std::string& bytes) {
  fs::create_directories(dir);
  std::ofstream(dir / name, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string Settings(Orv_Channel& channel) {
  OrvFileSaver saver;
  channel.SaveChannel(saver);
  return saver.Bytes();
}

std::string PluginSettings(std::int32_t infoType, bool flag, const char* name = nullptr) {
  SceneContainerInfo channel;
  channel.SetInfoType(static_cast<SCI_INFO_TYPE>(infoType));
  channel.SetUpdateChannelName(flag);
  if (name) channel.SetChannelName(name);
  return Settings(channel);
}

void ProjectFileSeeds(const fs::path& dir) {
  const Guid plugin = GetType()->typeId;
  ValueChannel value;
  TextChannel text;
  SceneContainer scene;
  Write(dir, "empty_project", project_file::Encode({}));
  Write(dir, "one_channel", project_file::Encode({{plugin, PluginSettings(SCI_NODE_CHILD, true)}}));
  Write(dir, "mixed_kinds",
        project_file::Encode({{plugin, PluginSettings(-1, false, "odd")},
                              {value.GetChannelType().typeId, Settings(value)},
                              {text.GetChannelType().typeId, Settings(text)},
                              {scene.GetChannelType().typeId, Settings(scene)},
                              {plugin, PluginSettings(kInfoTypeCount, true, "")}}));
  Write(dir, "settings_only", PluginSettings(SCI_MATERIAL_AS_XML, true));
}

// Structured inputs are read byte by byte (see fuzzed_scene.cpp); these pick
// each scene shape once and fill the rest from a fixed pseudo-random stream.
std::string Pseudo(std::uint32_t seed, std::size_t size) {
  std::string bytes;
  for (std::size_t i = 0; i < size; ++i) {
    seed = seed * 1664525u + 1013904223u;
    bytes.push_back(static_cast<char>(seed >> 24));
  }
  return bytes;
}

void XmlWriterSeeds(const fs::path& dir) {
  // shape, materials, textures, cameras, geometries, surfaces, animations (two bytes each)
  const std::string counts("\x02\x00\x01\x00\x01\x00\x01\x00\x03\x00\x01\x00", 12);
  Write(dir, "free_form", std::string(1, '\x01') + counts + Pseudo(1, 600));
  Write(dir, "plain_chain_1200", std::string(1, '\x10') + std::string(12, '\0') + "\xb0\x04" + std::string(4, '\0'));
  Write(dir, "chain_with_cycle", std::string(1, '\x00') + counts + Pseudo(2, 400));
  for (std::uint32_t seed = 3; seed < 8; ++seed) Write(dir, "pseudo_" + std::to_string(seed), Pseudo(seed, 256));
}

// Importer seeds: the first byte picks the format (see importer_target.cpp).
std::string Format(const char* extension) {
  const char* const extensions[] = {"gltf", "glb", "obj", "stl", "ply", "gltf", "3ds", "off"};
  for (std::size_t i = 0; i < std::size(extensions); ++i)
    if (std::string(extensions[i]) == extension) return std::string(1, static_cast<char>(i));
  return std::string(1, '\0');
}

std::string U32(std::uint32_t value) {
  std::string bytes;
  for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<char>(value >> (8 * i)));
  return bytes;
}
std::string U16(std::uint16_t value) { return U32(value).substr(0, 2); }
std::string F32(float value) {
  std::uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return U32(bits);
}

// Three corners of one triangle as little-endian floats.
std::string TriangleFloats() {
  std::string bytes;
  for (const float f : {0.f, 0.f, 0.f, 1.f, 0.f, 0.f, 0.f, 1.f, 0.f}) bytes += F32(f);
  return bytes;
}

std::string Glb() {
  std::string json =
      R"({"asset":{"version":"2.0"},"scene":0,"scenes":[{"nodes":[0]}],"nodes":[{"name":"T","mesh":0}],)"
      R"("meshes":[{"primitives":[{"attributes":{"POSITION":0}}]}],"buffers":[{"byteLength":36}],)"
      R"("bufferViews":[{"buffer":0,"byteLength":36}],"accessors":[{"bufferView":0,"componentType":5126,)"
      R"("count":3,"type":"VEC3","min":[0,0,0],"max":[1,1,0]}]})";
  while (json.size() % 4 != 0) json += ' ';
  const std::string bin = TriangleFloats();
  std::string body = U32(static_cast<std::uint32_t>(json.size())) + U32(0x4E4F534A) + json +
                     U32(static_cast<std::uint32_t>(bin.size())) + U32(0x004E4942) + bin;
  return "glTF" + U32(2) + U32(static_cast<std::uint32_t>(12 + body.size())) + body;
}

std::string BinaryStl() {
  std::string bytes(80, ' ');
  bytes += U32(1);
  bytes += F32(0) + F32(0) + F32(1) + TriangleFloats() + U16(0);
  return bytes;
}

std::string BinaryPly() {
  return "ply\nformat binary_little_endian 1.0\nelement vertex 3\nproperty float x\nproperty float y\n"
         "property float z\nelement face 1\nproperty list uchar int vertex_indices\nend_header\n" +
         TriangleFloats() + std::string(1, '\3') + U32(0) + U32(1) + U32(2);
}

// A 3DS chunk: identifier, length including the six header bytes, payload.
std::string Chunk(std::uint16_t id, const std::string& payload) {
  return U16(id) + U32(static_cast<std::uint32_t>(6 + payload.size())) + payload;
}

std::string ThreeDs() {
  const std::string vertices = Chunk(0x4110, U16(3) + TriangleFloats());
  const std::string faces = Chunk(0x4120, U16(1) + U16(0) + U16(1) + U16(2) + U16(7));
  const std::string object = Chunk(0x4000, std::string("tri", 4) + Chunk(0x4100, vertices + faces));
  return Chunk(0x4D4D, Chunk(0x0002, U32(3)) + Chunk(0x3D3D, object));
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void ImporterSeeds(const fs::path& dir, const fs::path& source) {
  // The repository's small scene files, as they are.
  for (const char* name : {"tests/data/node_extras.gltf", "tests/data/points_lines.gltf",
                           "tests/data/spot_light_camera.gltf", "tests/data/texture_transform.gltf",
                           "tests/data/trs_animation.gltf", "tests/data/two_materials.obj"}) {
    const fs::path path = source / name;
    if (fs::exists(path))
      Write(dir, path.filename().string(), Format(path.extension().string().substr(1).c_str()) + ReadFile(path));
  }
  Write(dir, "triangle.glb", Format("glb") + Glb());
  Write(dir, "triangle.stl", Format("stl") + BinaryStl());
  Write(dir, "triangle_ascii.stl",
        Format("stl") + "solid t\nfacet normal 0 0 1\nouter loop\nvertex 0 0 0\nvertex 1 0 0\nvertex 0 1 0\n"
                        "endloop\nendfacet\nendsolid t\n");
  Write(dir, "triangle.ply", Format("ply") + BinaryPly());
  Write(dir, "triangle_ascii.ply",
        Format("ply") + "ply\nformat ascii 1.0\nelement vertex 3\nproperty float x\nproperty float y\n"
                        "property float z\nelement face 1\nproperty list uchar int vertex_indices\nend_header\n"
                        "0 0 0\n1 0 0\n0 1 0\n3 0 1 2\n");
  Write(dir, "triangle.off", Format("off") + "OFF\n3 1 0\n0 0 0\n1 0 0\n0 1 0\n3 0 1 2\n");
  Write(dir, "triangle.3ds", Format("3ds") + ThreeDs());
}

// glTF reader seeds: the repository's glTF files and a GLB, as they are
// (run.sh adds quantized and meshopt variants made by gltfpack).
void GltfReaderSeeds(const fs::path& dir, const fs::path& source) {
  for (const char* name : {"examples/demo/demo.gltf", "tests/data/node_extras.gltf", "tests/data/points_lines.gltf",
                           "tests/data/spot_light_camera.gltf", "tests/data/texture_transform.gltf",
                           "tests/data/trs_animation.gltf"}) {
    const fs::path path = source / name;
    if (fs::exists(path)) Write(dir, path.filename().string(), ReadFile(path));
  }
  Write(dir, "triangle.glb", Glb());
}

// Batch seeds: every query once with in-range inputs, then lines that each
// break the parser a different way.
void BatchSeeds(const fs::path& dir) {
  std::string all;
  for (const auto& info : kInfoTypes) {
    all += sci::ShortName(info);
    for (const auto& input : sci::Inputs(info)) all += input.kind == ChildKind::Text ? " \"Box\"" : " 0";
    all += '\n';
  }
  Write(dir, "every_query", all);
  Write(dir, "broken_lines",
        "# a comment\n\n   \t\nnode-count extra\nnode-child 0\nnode-name x\nno-such-query 1\n"
        "node-id \"unclosed\nnode-id \"say \\\"hi\\\"\"\r\nnode-name 1e40\nnode-name nan\nnode-name -inf\n"
        "NODE_NAME 0\n3 0\n");
  Write(dir, "numbers", "node-child -1 0\nnode-child 0 2147483648\nsurface-texture-id 0x10 0\nnode-name -0.5\n");
}

// Snapshot seeds: snapshots of the repository's small scenes, each once with
// its checksums kept as they are and once to be made right by the target.
void SnapshotSeeds(const fs::path& dir, const fs::path& source) {
  const SnapshotProvenance provenance{"seed", "5.2.5", "default", {{"scene.gltf", 100, 1, 2, 3}}, {"scene.bin"}};
  for (const char* name : {"examples/demo/demo.gltf", "tests/data/spot_light_camera.gltf",
                           "tests/data/trs_animation.gltf", "tests/data/two_materials.obj"}) {
    SceneContainer scene;
    std::vector<std::uint8_t> bytes;
    if (!ImportScene((source / name).string(), scene, nullptr) ||
        !SaveSnapshotToBytes(scene, provenance, bytes, nullptr))
      continue;
    const std::string image(bytes.begin(), bytes.end());
    const std::string stem = fs::path(name).stem().string();
    Write(dir, stem, std::string(1, '\0') + image);
    Write(dir, stem + "_fixed", std::string(1, '\1') + image);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s DIR\n", argv[0]);
    return 2;
  }
  const fs::path root = argv[1];
  ProjectFileSeeds(root / "project_file");
  XmlWriterSeeds(root / "xml_writers");
  ImporterSeeds(root / "importer", SCI_SOURCE_DIR);
  GltfReaderSeeds(root / "gltf_reader", SCI_SOURCE_DIR);
  BatchSeeds(root / "batch_line");
  SnapshotSeeds(root / "snapshot", SCI_SOURCE_DIR);
  return 0;
}
