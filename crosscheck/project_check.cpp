#include "crosscheck/project_check.h"

#include <cstdint>
#include <vector>

#include "channel/scene_container_info.h"
#include "host/project_file.h"

namespace crosscheck {

namespace {

using Importing::SceneContainerInfo;

struct Setting {
  std::int32_t infoType;
  bool updateName;
  std::string name;
};

std::vector<Setting> Settings() {
  std::vector<Setting> settings;
  for (const auto& info : Importing::kInfoTypes)
    settings.push_back({info.value, settings.size() % 3 == 0, std::string(info.name) + " \xc3\xa9t\xc3\xa9"});
  for (const std::int32_t outside : {-1, Importing::kInfoTypeCount, INT32_MAX, INT32_MIN})
    settings.push_back({outside, true, "outside " + std::to_string(outside)});
  return settings;
}

}  // namespace

bool WriteProject(Host& host, const Guid& typeId, const std::string& path, std::string* error) {
  std::vector<Orv_Channel*> channels;
  for (const Setting& setting : Settings()) {
    auto* channel = static_cast<SceneContainerInfo*>(host.CreateChannel(typeId));
    if (channel == nullptr) {
      *error = "InitDLL made no channel";
      return false;
    }
    channel->SetInfoType(static_cast<Importing::SCI_INFO_TYPE>(setting.infoType));
    channel->SetUpdateChannelName(setting.updateName);
    channel->SetChannelName(setting.name.c_str());
    channels.push_back(channel);
  }
  return host.SaveProject(path, channels, error);
}

bool CheckProject(Host& host, const Guid& typeId, const std::string& path, std::string* error) {
  std::vector<Orv_Channel*> loaded;
  if (!host.LoadProject(path, &loaded, error)) return false;
  const std::vector<Setting> expected = Settings();
  const auto fail = [&](const std::string& why) {
    *error = path + ": " + why;
    return false;
  };
  if (loaded.size() != expected.size())
    return fail(std::to_string(loaded.size()) + " channels, expected " + std::to_string(expected.size()));
  for (std::size_t i = 0; i < loaded.size(); ++i) {
    if (loaded[i]->GetChannelType().typeId != typeId)
      return fail("channel " + std::to_string(i) + " is not a plug-in channel");
    auto& channel = *static_cast<SceneContainerInfo*>(loaded[i]);
    const Setting& want = expected[i];
    const auto* info = Importing::FindInfoType(want.infoType);
    const std::size_t children = 1 + (info ? static_cast<std::size_t>(FurtherChildCount(*info)) : 0);
    if (channel.GetInfoType() != want.infoType || channel.GetUpdateChannelName() != want.updateName ||
        channel.GetChannelName() != want.name || channel.ChildSlots().size() != children)
      return fail("channel " + std::to_string(i) + " came back as \"" + channel.GetChannelName() + "\", info type " +
                  std::to_string(static_cast<int>(channel.GetInfoType())) + ", flag " +
                  std::to_string(channel.GetUpdateChannelName()) + ", " + std::to_string(channel.ChildSlots().size()) +
                  " children; expected \"" + want.name + "\", " + std::to_string(want.infoType) + ", " +
                  std::to_string(want.updateName) + ", " + std::to_string(children));
  }

  // The same project written here must be the same bytes.
  const std::string again = path + ".again";
  std::string theirs, ours;
  if (!WriteProject(host, typeId, again, error) || !project_file::ReadWholeFile(path, &theirs, error) ||
      !project_file::ReadWholeFile(again, &ours, error))
    return false;
  std::size_t at = 0;
  while (at < theirs.size() && at < ours.size() && theirs[at] == ours[at]) ++at;
  if (at != theirs.size() || at != ours.size())
    return fail("differs from the same project written here (" + again + ") from byte " + std::to_string(at));
  return true;
}

}  // namespace crosscheck
