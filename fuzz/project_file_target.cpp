#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

#include "channel/scene_container_info.h"
#include "fuzz/fuzz_check.h"
#include "fuzz/fuzz_targets.h"
#include "host/host.h"
#include "host/orv_file.h"
#include "host/project_file.h"
#include "module/entry_points.h"
#include "scene/scene_container.h"

namespace sci_fuzz {

namespace {

using Importing::SceneContainerInfo;

// A host that knows the plug-in's channel type and the scene container, as
// a host that loaded the plug-in would; the plug-in is linked, not opened,
// so that each input costs no dlopen.
void RegisterTypes(Host& host) {
  const ChannelType type = *GetType();
  host.RegisterType(type.typeId, [type] {
    std::unique_ptr<Orv_Channel> channel(InitDLL());
    if (channel) channel->SetChannelType(type);
    return channel;
  });
  host.RegisterType(KindInfo(ChildKind::SceneContainer).typeId,
                    [] { return std::make_unique<Importing::SceneContainer>(); });
}

// A file of this process in the temporary directory, removed afterwards.
struct TempPath {
  std::string path;
  explicit TempPath(const char* name)
      : path((std::filesystem::temp_directory_path() /
              ("sci_fuzz_" + std::to_string(::getpid()) + "_" + name + ".orv"))
                 .string()) {}
  ~TempPath() { std::remove(path.c_str()); }
};

// What a channel keeps of its settings, for comparing two loads.
struct Settings {
  Guid typeId;
  std::string name;
  bool plugin = false;
  std::int32_t infoType = 0;
  bool updateName = false;
  std::size_t slots = 0;

  bool operator==(const Settings& o) const {
    return typeId == o.typeId && name == o.name && plugin == o.plugin && infoType == o.infoType &&
           updateName == o.updateName && slots == o.slots;
  }
};

Settings SettingsOf(Orv_Channel& channel) {
  Settings s;
  s.typeId = channel.GetChannelType().typeId;
  s.name = channel.GetChannelName();
  s.slots = channel.ChildSlots().size();
  if (auto* info = dynamic_cast<SceneContainerInfo*>(&channel)) {
    s.plugin = true;
    s.infoType = info->GetInfoType();
    s.updateName = info->GetUpdateChannelName();
  }
  return s;
}

std::vector<Settings> SettingsOf(const std::vector<Orv_Channel*>& channels) {
  std::vector<Settings> all;
  for (Orv_Channel* channel : channels) all.push_back(SettingsOf(*channel));
  return all;
}

// The bytes as one channel's tagged settings, read by the plug-in channel
// directly; what it reads must survive a save and a second load.
void SettingsThroughTheChannel(const std::string& bytes) {
  OrvFileLoader loader;
  std::string error;
  if (!loader.Parse(bytes, &error)) {
    SCI_FUZZ_CHECK(!error.empty(), "a rejected settings block is explained");
    return;
  }
  SceneContainerInfo channel;
  SCI_FUZZ_CHECK(channel.LoadChannel(loader, nullptr), "parsed settings load");
  OrvFileSaver saver;
  SCI_FUZZ_CHECK(channel.SaveChannel(saver) && saver.Complete(), "loaded settings save completely");

  OrvFileLoader again;
  SCI_FUZZ_CHECK(again.Parse(saver.Bytes(), &error), "saved settings parse");
  SceneContainerInfo copy;
  SCI_FUZZ_CHECK(copy.LoadChannel(again, nullptr), "saved settings load");
  SCI_FUZZ_CHECK(SettingsOf(copy) == SettingsOf(channel), "settings survive a save and a load");
  OrvFileSaver second;
  SCI_FUZZ_CHECK(copy.SaveChannel(second) && second.Bytes() == saver.Bytes(), "a second save writes the same bytes");
}

// Whether the host must accept the file: it decodes, every type is known and
// every settings block is well formed.
bool HostShouldLoad(const Host& host, const std::vector<project_file::ChannelRecord>& records) {
  for (const auto& record : records) {
    if (!host.IsRegistered(record.typeId)) return false;
    OrvFileLoader loader;
    std::string error;
    if (!loader.Parse(record.settings, &error)) return false;
  }
  return true;
}

void ProjectThroughTheHost(const std::string& bytes, bool decoded,
                           const std::vector<project_file::ChannelRecord>& records) {
  TempPath file("in"), saved("out");
  std::string error;
  SCI_FUZZ_CHECK(project_file::WriteFileAtomically(file.path, bytes, &error), "the input file can be written");

  Host host;
  RegisterTypes(host);
  Orv_Channel sentinel;
  std::vector<Orv_Channel*> loaded{&sentinel};
  const bool ok = host.LoadProject(file.path, &loaded, &error);
  SCI_FUZZ_CHECK(ok == (decoded && HostShouldLoad(host, records)), "the host loads exactly the sound files");
  if (!ok) {
    SCI_FUZZ_CHECK(error.find(file.path) != std::string::npos, "a load error names the file");
    SCI_FUZZ_CHECK(loaded.size() == 1 && loaded[0] == &sentinel, "a failed load leaves the caller's list alone");
    return;
  }
  SCI_FUZZ_CHECK(loaded.size() == records.size(), "one channel per record");
  for (std::size_t i = 0; i < loaded.size(); ++i)
    SCI_FUZZ_CHECK(loaded[i]->GetChannelType().typeId == records[i].typeId, "each channel has its record's type");

  SCI_FUZZ_CHECK(host.SaveProject(saved.path, loaded, &error), "what loaded saves");
  Host other;
  RegisterTypes(other);
  std::vector<Orv_Channel*> reloaded;
  SCI_FUZZ_CHECK(other.LoadProject(saved.path, &reloaded, &error), "what was saved loads");
  SCI_FUZZ_CHECK(SettingsOf(reloaded) == SettingsOf(loaded), "settings survive a save and a load");

  std::string first, second;
  TempPath resaved("again");
  SCI_FUZZ_CHECK(other.SaveProject(resaved.path, reloaded, &error), "what reloaded saves");
  SCI_FUZZ_CHECK(project_file::ReadWholeFile(saved.path, &first, &error) &&
                     project_file::ReadWholeFile(resaved.path, &second, &error) && first == second,
                 "saving is stable after one round");
}

}  // namespace

int ProjectFile(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);

  std::vector<project_file::ChannelRecord> records;
  std::string error;
  const bool decoded = project_file::Decode(bytes, &records, &error);
  if (decoded) {
    SCI_FUZZ_CHECK(project_file::Encode(records) == bytes, "a decoded file encodes to the same bytes");
    for (const auto& record : records) SettingsThroughTheChannel(record.settings);
  } else {
    SCI_FUZZ_CHECK(!error.empty(), "a rejected file is explained");
    SCI_FUZZ_CHECK(records.empty(), "a rejected file yields no records");
  }
  SettingsThroughTheChannel(bytes);
  ProjectThroughTheHost(bytes, decoded, records);
  return 0;
}

}  // namespace sci_fuzz
