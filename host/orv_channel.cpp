#include "host/orv_channel.h"

#include <algorithm>
#include <cstring>

#include "host/orv_file.h"

namespace {
constexpr const char* kNameTag = "ORVNAME";
}

DllInterface::~DllInterface() = default;

Orv_Channel::Orv_Channel() : context_(&HostContext::Default()) {}

Orv_Channel::Orv_Channel(ChildKind kind) : Orv_Channel() {
  const ChildKindInfo& info = KindInfo(kind);
  name_ = info.name;
  std::strncpy(type_.name, info.name, sizeof type_.name - 1);
  type_.typeId = info.typeId;
}

Orv_Channel::Orv_Channel(const Orv_Channel&) = default;
Orv_Channel& Orv_Channel::operator=(const Orv_Channel&) = default;
Orv_Channel::~Orv_Channel() = default;

void Orv_Channel::CallChannel() {}
void Orv_Channel::OneTimeInitialize() {}
void Orv_Channel::DoEvent(int) {}
const ChannelType& Orv_Channel::GetChannelType() const { return type_; }

bool Orv_Channel::SaveChannel(OrvFileSaver& saver) {
  saver.SaveTag(kNameTag);
  saver.SaveBlockSize(name_.size());
  saver.SaveDataToFile(name_.data(), name_.size());
  return saver.Complete();
}

bool Orv_Channel::LoadChannel(OrvFileLoader& loader, Orv_ChannelGroup*) {
  if (loader.GotoTag(kNameTag, 0)) name_ = loader.CurrentBlock();
  return true;
}

void Orv_Channel::SetChannelInterfaceType(int interfaceType) { interfaceType_ = interfaceType; }
Orv_Channel* Orv_Channel::GetChannelFromChannel(int index) { return GetChild(index); }
std::uint64_t Orv_Channel::GetTimeStamp() const { return timeStamp_; }
void Orv_Channel::SetTimeStamp(std::uint64_t stamp) { timeStamp_ = stamp; }
void Orv_Channel::DoDependencyInit(Orv_List*) {}

bool Orv_Channel::CheckIndexNrRemoval(int index) {
  return index >= 0 && static_cast<std::size_t>(index) < slots_.size();
}

Orv_Channel* Orv_Channel::GetInternalChild(int) { return nullptr; }

bool Orv_Channel::CheckPublicChannelInstanceRemoval(Orv_Channel* child) {
  return std::none_of(slots_.begin(), slots_.end(), [child](const ChildSlot& slot) { return slot.channel == child; });
}

void Orv_Channel::AddMetaData(const char* key, const char* value) {
  if (key != nullptr) metaData_[key] = value ? value : "";
}

void Orv_Channel::SetChannelGroup(Orv_ChannelGroup* group) { group_ = group; }
void* Orv_Channel::GetFeedbackClass() { return nullptr; }
void Orv_Channel::SetContextRenderCountName(const char* name) { renderCountName_ = name ? name : ""; }
const char* Orv_Channel::GetContextRenderCountName() const { return renderCountName_.c_str(); }

void Orv_Channel::SetChannelName(const char* name) { name_ = name ? name : ""; }

Orv_Channel* Orv_Channel::GetChild(int index) const {
  if (index < 0 || static_cast<std::size_t>(index) >= slots_.size()) return nullptr;
  return slots_[static_cast<std::size_t>(index)].channel;
}

void Orv_Channel::SetChildCreationCount(int count) {
  if (context_ != nullptr && context_->ChildDeclarationObserver) context_->ChildDeclarationObserver(*this, count, nullptr);
  if (count == 0) {
    previousSlots_ = std::move(slots_);
    slots_.clear();
  }
}

void Orv_Channel::SetChildCreateType(ChildCreation declaration, int index) {
  if (context_ != nullptr && context_->ChildDeclarationObserver)
    context_->ChildDeclarationObserver(*this, index, &declaration);
  if (index < 0 || index >= kMaxChildren) return;
  const auto at = static_cast<std::size_t>(index);
  if (slots_.size() <= at) slots_.resize(at + 1);
  // Keep the channel linked in this slot, now or in the previous layout,
  // when the slot's kind stays the same.
  Orv_Channel* kept = nullptr;
  const Guid& kind = declaration.type.typeId;
  if (slots_[at].channel && slots_[at].declaration.type.typeId == kind)
    kept = slots_[at].channel;
  else if (at < previousSlots_.size() && previousSlots_[at].declaration.type.typeId == kind)
    kept = previousSlots_[at].channel;
  slots_[at] = ChildSlot{declaration, kept};
}

bool Orv_Channel::LinkChild(int index, Orv_Channel* child, std::string* error) {
  if (index < 0 || static_cast<std::size_t>(index) >= slots_.size()) {
    if (error) *error = "channel \"" + name_ + "\" has no child slot " + std::to_string(index);
    return false;
  }
  ChildSlot& slot = slots_[static_cast<std::size_t>(index)];
  if (child != nullptr && child->GetChannelType().typeId != slot.declaration.type.typeId) {
    if (error)
      *error = "child " + std::to_string(index) + " (\"" + slot.declaration.label + "\") of channel \"" + name_ +
               "\" must be of kind \"" + slot.declaration.type.name + "\" " + slot.declaration.type.typeId.ToString() +
               ", not \"" + child->GetChannelType().name + "\" " + child->GetChannelType().typeId.ToString();
    return false;
  }
  slot.channel = child;
  return true;
}

void Orv_Channel::UnlinkChild(int index) {
  if (index >= 0 && static_cast<std::size_t>(index) < slots_.size()) slots_[static_cast<std::size_t>(index)].channel = nullptr;
}

void Orv_Channel::ShowDebugMessage(const char* message) const {
  if (context_ != nullptr && context_->ShowDebugMessage) context_->ShowDebugMessage(message);
}
