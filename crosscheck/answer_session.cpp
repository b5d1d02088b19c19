#include "crosscheck/answer_session.h"

#include <memory>

#include "channel/scene_container_info.h"
#include "crosscheck/answer_line.h"
#include "crosscheck/questions.h"
#include "host/value_channels.h"

namespace crosscheck {

namespace {

using Importing::InfoTypeInfo;
using Importing::SceneContainerInfo;

std::string TypeLine(const ChannelType& type) {
  return std::string("{\"type\":{\"name\":\"") + type.name + "\",\"id\":\"" + type.typeId.ToString() +
         "\",\"second_id\":\"" + type.secondTypeId.ToString() + "\",\"flag\":" + std::to_string(type.typeFlag) +
         ",\"option\":" + std::to_string(type.typeOption) + "}}";
}

// Names and labels are written raw: none holds a quote or a control character.
std::string ChannelLine(const char* key, SceneContainerInfo& channel) {
  std::string line = std::string("{\"") + key + "\":{\"name\":\"" + channel.GetChannelName() +
                     "\",\"info_type\":" + std::to_string(static_cast<int>(channel.GetInfoType())) +
                     ",\"update_name\":" + (channel.GetUpdateChannelName() ? "true" : "false") + ",\"children\":[";
  for (const ChildSlot& slot : channel.ChildSlots()) {
    if (&slot != &channel.ChildSlots().front()) line += ',';
    line += "[" + std::to_string(slot.declaration.childIndex) + ",\"" + slot.declaration.type.typeId.ToString() +
            "\",\"" + slot.declaration.label + "\"]";
  }
  return line + "]}}";
}

// Fills the channel's inputs from `question`; the outputs keep what earlier
// questions of the same info type left, on both sides alike.
void SetInputs(SceneContainerInfo& channel, const Question& question) {
  const InfoTypeInfo& info = *question.info;
  std::size_t number = 0;
  for (int index = 1; index <= FurtherChildCount(info); ++index) {
    if (IsOutputChild(info, index)) continue;
    Orv_Channel* child = channel.GetChild(index);
    if (info.children[index - 1].kind == ChildKind::Text)
      static_cast<TextChannel*>(child)->SetText(question.name.c_str());
    else
      static_cast<ValueChannel*>(child)->SetValue(question.numbers[number++]);
  }
}

}  // namespace

AnswerSession::AnswerSession()
    : scene_(static_cast<Importing::SceneContainer*>(host_.Adopt(std::make_unique<Importing::SceneContainer>()))) {}

bool AnswerSession::LoadPlugin(const std::string& path, std::string* error) {
  type_ = host_.LoadPlugin(path, error);
  if (type_ != nullptr) typeId_ = type_->typeId;
  return type_ != nullptr;
}

std::vector<std::string> AnswerSession::Answer() {
  std::vector<std::string> lines{TypeLine(*type_)};
  const std::vector<Question> questions = QuestionsFor(*scene_);
  auto next = questions.begin();
  for (const InfoTypeInfo& info : Importing::kInfoTypes) {
    // The host made it through InitDLL, so it is the plug-in's class.
    auto* channel = static_cast<SceneContainerInfo*>(host_.CreateChannel(typeId_));
    if (channel == nullptr) {
      lines.push_back(std::string("{\"error\":\"InitDLL made no channel for ") + info.name + "\"}");
      continue;
    }
    if (lines.size() == 1) lines.push_back(ChannelLine("new_channel", *channel));
    channel->SetInfoType(info.value);
    channel->LinkChild(0, scene_, nullptr);
    host_.CreateDefaultChildren(*channel);
    lines.push_back(ChannelLine("layout", *channel));
    for (; next != questions.end() && next->info == &info; ++next) {
      SetInputs(*channel, *next);
      host_.ClearMessages();
      channel->CallChannel();
      lines.push_back(AnswerLine(*next, *channel, host_.Messages()));
    }
  }
  return lines;
}

}  // namespace crosscheck
