#include "host/host.h"

#include "host/material_channels.h"
#include "host/matrix_collection_channel.h"
#include "host/mesh_channel.h"
#include "host/orv_file.h"
#include "host/project_file.h"
#include "host/value_channels.h"

namespace {

template <class Kind>
void RegisterKind(Host& host) {
  host.RegisterType(KindInfo(Kind::kKind).typeId, [] { return std::make_unique<Kind>(); });
}

}  // namespace

Host::Host() {
  context_.ShowDebugMessage = [this](const char* message) { messages_.emplace_back(message ? message : ""); };
  RegisterKind<ValueChannel>(*this);
  RegisterKind<TextChannel>(*this);
  RegisterKind<MatrixChannel>(*this);
  RegisterKind<ValueVectorChannel>(*this);
  RegisterKind<MeshChannel>(*this);
  RegisterKind<MaterialChannel>(*this);
  RegisterKind<TextureChannel>(*this);
  RegisterKind<MatrixCollectionChannel>(*this);
}

Host::~Host() {
  // Plug-in channels must go before the libraries that hold their code.
  channels_.clear();
  plugins_.clear();
}

const ChannelType* Host::LoadPlugin(const std::string& path, std::string* error) {
  auto plugin = PluginLibrary::Open(path, error);
  if (!plugin) return nullptr;
  if (IsRegistered(plugin->Type().typeId)) {
    if (error)
      *error = "cannot load plug-in \"" + path + "\": channel type " + plugin->Type().typeId.ToString() +
               " is already registered";
    return nullptr;
  }
  const PluginLibrary* library = plugin.get();
  RegisterType(library->Type().typeId, [library] { return library->CreateChannel(); });
  plugins_.push_back(std::move(plugin));
  return &library->Type();
}

void Host::RegisterType(const Guid& typeId, Factory factory) { factories_[typeId.ToString()] = std::move(factory); }

bool Host::IsRegistered(const Guid& typeId) const { return factories_.count(typeId.ToString()) != 0; }

Orv_Channel* Host::CreateChannel(const Guid& typeId) {
  const auto found = factories_.find(typeId.ToString());
  if (found == factories_.end()) return nullptr;
  return Adopt(found->second());
}

Orv_Channel* Host::Adopt(std::unique_ptr<Orv_Channel> channel) {
  if (!channel) return nullptr;
  channel->SetHostContext(&context_);
  channels_.push_back(std::move(channel));
  return channels_.back().get();
}

void Host::CreateDefaultChildren(Orv_Channel& parent) {
  const auto& slots = parent.ChildSlots();
  for (std::size_t i = 0; i < slots.size(); ++i) {
    const Guid& kind = slots[i].declaration.type.typeId;
    if (slots[i].channel != nullptr || KindOfTypeId(kind) == ChildKind::SceneContainer) continue;
    Orv_Channel* child = CreateChannel(kind);
    if (child == nullptr) continue;
    child->SetChannelName(slots[i].declaration.label);
    parent.LinkChild(static_cast<int>(i), child, nullptr);
  }
}

bool Host::SaveProject(const std::string& path, const std::vector<Orv_Channel*>& channels,
                       std::string* error) const {
  std::vector<project_file::ChannelRecord> records;
  for (std::size_t i = 0; i < channels.size(); ++i) {
    OrvFileSaver saver;
    if (!channels[i]->SaveChannel(saver) || !saver.Complete()) {
      if (error)
        *error = "cannot save \"" + path + "\": channel " + std::to_string(i) + " (\"" +
                 channels[i]->GetChannelName() + "\") did not write its settings completely";
      return false;
    }
    records.push_back({channels[i]->GetChannelType().typeId, saver.Bytes()});
  }
  std::string why;
  if (!project_file::WriteFileAtomically(path, project_file::Encode(records), &why)) {
    if (error) *error = "cannot save \"" + path + "\": " + why;
    return false;
  }
  return true;
}

bool Host::LoadProject(const std::string& path, std::vector<Orv_Channel*>* loaded, std::string* error) {
  const auto fail = [&](const std::string& why) {
    if (error) *error = "cannot load project \"" + path + "\": " + why;
    return false;
  };
  std::string bytes, why;
  std::vector<project_file::ChannelRecord> records;
  if (!project_file::ReadWholeFile(path, &bytes, &why) || !project_file::Decode(bytes, &records, &why))
    return fail(why);

  // Build every channel aside first, so that a failure leaves the host as it was.
  std::vector<std::unique_ptr<Orv_Channel>> channels;
  Orv_ChannelGroup group;
  for (std::size_t i = 0; i < records.size(); ++i) {
    const std::string where = "channel " + std::to_string(i) + ": ";
    const auto factory = factories_.find(records[i].typeId.ToString());
    if (factory == factories_.end())
      return fail(where + "no plug-in provides channel type " + records[i].typeId.ToString());
    std::unique_ptr<Orv_Channel> channel = factory->second();
    OrvFileLoader loader;
    if (!channel) return fail(where + "the channel could not be created");
    if (!loader.Parse(records[i].settings, &why)) return fail(where + why);
    channel->SetHostContext(&context_);
    group.channels.push_back(channel.get());
    if (!channel->LoadChannel(loader, &group)) return fail(where + "the channel rejected its settings");
    channels.push_back(std::move(channel));
  }
  loaded->clear();
  for (auto& channel : channels) {
    loaded->push_back(channel.get());
    channels_.push_back(std::move(channel));
  }
  return true;
}
