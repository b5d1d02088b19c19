// Writes small seed inputs for the fuzzers: fuzz_make_seeds DIR writes
// DIR/<fuzzer>/<seed>. Seeds made here come from the real writers (project
// files from saved channels), so the fuzzers start from well-formed input.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "channel/scene_container_info.h"
#include "host/orv_file.h"
#include "host/project_file.h"
#include "host/value_channels.h"
#include "module/entry_points.h"
#include "scene/scene_container.h"

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

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s DIR\n", argv[0]);
    return 2;
  }
  const fs::path root = argv[1];
  ProjectFileSeeds(root / "project_file");
  XmlWriterSeeds(root / "xml_writers");
  return 0;
}
