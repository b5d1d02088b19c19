#include "session/query_session.h"

#include <cstdio>
#include <cstring>
#include <memory>

#include "channel/query_reads.h"
#include "host/value_channels.h"

namespace sci {

namespace {

constexpr const char* kChannelTypeName = "SceneContainerInfo";

}  // namespace

QuerySession::QuerySession()
    : scene_(static_cast<Importing::SceneContainer*>(host_.Adopt(std::make_unique<Importing::SceneContainer>()))),
      reader_(std::make_unique<Importing::SnapshotReader>()) {}

bool QuerySession::LoadPlugin(const std::string& path, std::string* error) {
  const ChannelType* type = host_.LoadPlugin(path, error);
  if (type == nullptr) return false;
  if (std::strncmp(type->name, kChannelTypeName, sizeof type->name) != 0) {
    *error = "\"" + path + "\" provides channel type \"" + std::string(type->name, strnlen(type->name, sizeof type->name)) +
             "\", not " + kChannelTypeName;
    return false;
  }
  channelTypeId_ = type->typeId;
  return true;
}

bool QuerySession::LoadScene(const std::string& path, std::string* error, std::function<void(float)> progress,
                             Importing::GuardedImportOptions options) {
  options.progress = std::move(progress);
  if (!options.warning)
    options.warning = [](const std::string& warning) { std::fprintf(stderr, "Warning: %s\n", warning.c_str()); };
  // A scene that cannot be opened leaves the one before in place.
  auto reader = std::make_unique<Importing::SnapshotReader>();
  std::string entry;
  if (!Importing::OpenSceneGuarded(path, *reader, &entry, error, options)) return false;
  reader_ = std::move(reader);
  cacheEntry_ = std::move(entry);
  broken_.clear();
  scene_->Fill(Importing::SceneData());
  return true;
}

bool QuerySession::Load(Importing::ScenePartSet parts, std::int64_t geometry, std::string* error) {
  if (broken_.empty() && !reader_->Load(parts, geometry, *scene_, &broken_)) {
    broken_ = "Cannot load snapshot '" + (cacheEntry_.empty() ? std::string("of this scene") : cacheEntry_) +
              "': " + broken_;
    if (!cacheEntry_.empty()) std::remove(cacheEntry_.c_str());
  }
  if (broken_.empty()) return true;
  *error = broken_;
  return false;
}

bool QuerySession::LoadFor(const QueryRequest& request, std::string* error) {
  const Importing::QueryReads& reads = Importing::kQueryReads[request.info->value];
  const float first = request.inputs.empty() ? -1 : request.inputs.front().number;
  return Load(reads.parts, Importing::GeometryRead(reads, first), error);
}

Importing::SceneContainerInfo* QuerySession::ChannelFor(const InfoTypeInfo& info) {
  Importing::SceneContainerInfo*& channel = channels_[info.value];
  if (channel == nullptr) {
    // The plug-in's channels are SceneContainerInfo objects; its exported
    // class is called through its virtual table only.
    channel = static_cast<Importing::SceneContainerInfo*>(host_.CreateChannel(channelTypeId_));
    if (channel == nullptr) return nullptr;
    channel->SetInfoType(info.value);
    channel->LinkChild(0, scene_, nullptr);
    host_.CreateDefaultChildren(*channel);
  }
  return channel;
}

const Answer& QuerySession::Run(const QueryRequest& request) {
  answer_.request = &request;
  answer_.outputs.clear();
  answer_.messages.clear();
  answer_.materialName.clear();
  std::string why;
  if (!LoadFor(request, &why)) {
    answer_.messages.push_back(why);
    return answer_;
  }
  Importing::SceneContainerInfo* channel = ChannelFor(*request.info);
  if (channel == nullptr) {
    answer_.messages.push_back("The plug-in could not create a channel.");
    return answer_;
  }
  for (const QueryInput& input : request.inputs) {
    Orv_Channel* child = channel->GetChild(input.child.index);
    if (child == nullptr) continue;
    if (input.child.kind == ChildKind::Text)
      static_cast<TextChannel*>(child)->SetText(input.text.c_str());
    else
      static_cast<ValueChannel*>(child)->SetValue(input.number);
  }
  const std::vector<QueryChild>& outputs = Outputs(*request.info);
  for (const QueryChild& output : outputs)
    if (Orv_Channel* child = channel->GetChild(output.index)) ResetOutput(output.kind, *child);

  host_.ClearMessages();
  channel->CallChannel();
  answer_.messages = host_.Messages();
  for (const QueryChild& output : outputs)
    answer_.outputs.push_back({output, ReadOutput(output.kind, channel->GetChild(output.index))});

  if (request.info->value == Importing::SCI_MATERIAL && answer_.messages.empty())
    answer_.materialName = MaterialName(request.inputs.at(0).number);
  return answer_;
}

std::string QuerySession::MaterialName(float materialID) {
  // The material channel carries no name; the material-name query has it.
  const InfoTypeInfo& info = *Importing::FindInfoType(Importing::SCI_MATERIAL_NAME);
  Importing::SceneContainerInfo* channel = ChannelFor(info);
  if (channel == nullptr) return {};
  auto* id = static_cast<ValueChannel*>(channel->GetChild(Inputs(info).at(0).index));
  auto* name = static_cast<TextChannel*>(channel->GetChild(Outputs(info).at(0).index));
  if (id == nullptr || name == nullptr) return {};
  id->SetValue(materialID);
  name->SetText(nullptr);
  host_.ClearMessages();
  channel->CallChannel();
  const bool named = host_.Messages().empty() && name->GetText() != nullptr;
  host_.ClearMessages();
  return named ? name->GetText() : std::string();
}

}  // namespace sci
