#include "session/query_session.h"

#include <cstdio>
#include <cstring>
#include <memory>

#include "host/material_channels.h"
#include "host/matrix_collection_channel.h"
#include "host/mesh_channel.h"
#include "host/value_channels.h"

namespace sci {

namespace {

constexpr const char* kChannelTypeName = "SceneContainerInfo";

// Puts a channel of a large kind back into the state of a new one, keeping
// the name and host context it was given when it was linked.
template <class Kind>
void Renew(Orv_Channel& channel) {
  auto& typed = static_cast<Kind&>(channel);
  Kind fresh;
  fresh.SetChannelName(typed.GetChannelName().c_str());
  fresh.SetHostContext(typed.GetHostContext());
  typed = fresh;
}

void ResetOutput(ChildKind kind, Orv_Channel& channel) {
  switch (kind) {
    case ChildKind::Value:
      static_cast<ValueChannel&>(channel).SetValue(0);
      break;
    case ChildKind::Text:
      static_cast<TextChannel&>(channel).SetText(nullptr);
      break;
    case ChildKind::Matrix: {
      const D3DXMATRIX identity;
      static_cast<MatrixChannel&>(channel).SetMatrix(&identity);
      break;
    }
    case ChildKind::ValueVector:
      static_cast<ValueVectorChannel&>(channel).SetVector(D3DXVECTOR3{});
      break;
    case ChildKind::Mesh:
      Renew<MeshChannel>(channel);
      break;
    case ChildKind::Material:
      Renew<MaterialChannel>(channel);
      break;
    case ChildKind::Texture:
      Renew<TextureChannel>(channel);
      break;
    case ChildKind::MatrixCollection:
      Renew<MatrixCollectionChannel>(channel);
      break;
    case ChildKind::None:
    case ChildKind::SceneContainer:
      break;
  }
}

}  // namespace

QuerySession::QuerySession()
    : scene_(static_cast<Importing::SceneContainer*>(host_.Adopt(std::make_unique<Importing::SceneContainer>()))) {}

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
  return Importing::ImportSceneGuarded(path, *scene_, error, options);
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

const QueryResult& QuerySession::Run(const QueryRequest& request) {
  result_.request = &request;
  result_.outputs.clear();
  result_.messages.clear();
  result_.materialName.clear();
  Importing::SceneContainerInfo* channel = ChannelFor(*request.info);
  if (channel == nullptr) {
    result_.messages.push_back("The plug-in could not create a channel.");
    return result_;
  }
  for (const QueryInput& input : request.inputs) {
    Orv_Channel* child = channel->GetChild(input.child.index);
    if (child == nullptr) continue;
    if (input.child.kind == ChildKind::Text)
      static_cast<TextChannel*>(child)->SetText(input.text.c_str());
    else
      static_cast<ValueChannel*>(child)->SetValue(input.number);
  }
  for (const QueryChild& output : Outputs(*request.info)) {
    Orv_Channel* child = channel->GetChild(output.index);
    if (child != nullptr) ResetOutput(output.kind, *child);
    result_.outputs.push_back({output, child});
  }

  host_.ClearMessages();
  channel->CallChannel();
  result_.messages = host_.Messages();

  if (request.info->value == Importing::SCI_MATERIAL && result_.messages.empty())
    result_.materialName = MaterialName(request.inputs.at(0).number);
  return result_;
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
