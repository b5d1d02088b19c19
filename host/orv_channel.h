#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "host/channel_type.h"
#include "host/child_kinds.h"
#include "host/export.h"
#include "host/host_context.h"

class OrvFileSaver;
class OrvFileLoader;
class Orv_Channel;
class Orv_List;

// Marks the objects that cross the boundary between host and plug-in.
class ORVHOST_API DllInterface {
 public:
  virtual ~DllInterface();
};

// The channels of one project file being loaded.
class ORVHOST_API Orv_ChannelGroup {
 public:
  std::vector<Orv_Channel*> channels;
};

// One declared child: what kind and label it must have and the channel linked
// into it (not owned; null when the slot is empty).
struct ChildSlot {
  ChildCreation declaration;
  Orv_Channel* channel = nullptr;
};

// Base of every channel. The order of the virtual operations is part of the
// interface with plug-ins and must not change.
class ORVHOST_API Orv_Channel : public DllInterface {
 public:
  static constexpr int kMaxChildren = 64;

  Orv_Channel();
  Orv_Channel(const Orv_Channel&);
  Orv_Channel& operator=(const Orv_Channel&);
  ~Orv_Channel() override;

  // Runs the channel once. The base does nothing.
  virtual void CallChannel();
  virtual void OneTimeInitialize();
  virtual void DoEvent(int event);
  virtual const ChannelType& GetChannelType() const;
  // Writes the base's settings (the channel name, tag "ORVNAME").
  virtual bool SaveChannel(OrvFileSaver& saver);
  // Reads the base's settings; a missing name tag keeps the name.
  virtual bool LoadChannel(OrvFileLoader& loader, Orv_ChannelGroup* group);
  virtual void SetChannelInterfaceType(int interfaceType);
  // The channel linked as child `index`, as GetChild.
  virtual Orv_Channel* GetChannelFromChannel(int index);
  virtual std::uint64_t GetTimeStamp() const;
  virtual void SetTimeStamp(std::uint64_t stamp);
  virtual void DoDependencyInit(Orv_List* list);
  // True when slot `index` exists and may be emptied.
  virtual bool CheckIndexNrRemoval(int index);
  // Channels that a channel keeps for itself; the base has none.
  virtual Orv_Channel* GetInternalChild(int index);
  // True when `child` is not linked below this channel.
  virtual bool CheckPublicChannelInstanceRemoval(Orv_Channel* child);
  virtual void AddMetaData(const char* key, const char* value);
  virtual void SetChannelGroup(Orv_ChannelGroup* group);
  virtual void* GetFeedbackClass();
  virtual void SetContextRenderCountName(const char* name);
  virtual const char* GetContextRenderCountName() const;

  // Name shown by the host.
  void SetChannelName(const char* name);
  const std::string& GetChannelName() const { return name_; }

  // Type record; the host sets it for channels that a plug-in creates.
  void SetChannelType(const ChannelType& type) { type_ = type; }

  // The channel in child slot `index`, or null when the slot is empty or absent.
  Orv_Channel* GetChild(int index) const;

  // Child declaration. A count of 0 starts a new layout; declarations then
  // fill slots by index. A slot whose kind is unchanged from the previous
  // layout keeps its linked channel; any other slot starts empty.
  void SetChildCreationCount(int count);
  void SetChildCreateType(ChildCreation declaration, int index);
  const std::vector<ChildSlot>& ChildSlots() const { return slots_; }

  // Links `child` into slot `index` when its type identifier matches the
  // slot's declaration; otherwise leaves the slot and explains in `error`.
  bool LinkChild(int index, Orv_Channel* child, std::string* error);
  void UnlinkChild(int index);

  // Shows `message` through the host context's debug message functor.
  void ShowDebugMessage(const char* message) const;
  void SetHostContext(HostContext* context) { context_ = context; }
  HostContext* GetHostContext() const { return context_; }

  const std::map<std::string, std::string>& MetaData() const { return metaData_; }

 protected:
  // Built-in kinds name themselves and carry their kind's type identifier.
  explicit Orv_Channel(ChildKind kind);

 private:
  std::string name_;
  ChannelType type_;
  std::vector<ChildSlot> slots_;
  std::vector<ChildSlot> previousSlots_;
  HostContext* context_;
  std::uint64_t timeStamp_ = 0;
  int interfaceType_ = 0;
  Orv_ChannelGroup* group_ = nullptr;
  std::string renderCountName_;
  std::map<std::string, std::string> metaData_;
};
