#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "host/export.h"
#include "host/guid.h"
#include "host/host_context.h"
#include "host/orv_channel.h"
#include "host/plugin_loader.h"

// A small host: it loads channel plug-ins, creates and owns channels, links
// children into their declared slots, collects debug messages and saves and
// loads projects. Plug-in libraries stay loaded until every channel is gone.
class ORVHOST_API Host {
 public:
  using Factory = std::function<std::unique_ptr<Orv_Channel>()>;

  // Registers the built-in child kinds (all but the scene container, which
  // its own library registers with RegisterType).
  Host();
  ~Host();
  Host(const Host&) = delete;
  Host& operator=(const Host&) = delete;

  // Loads a plug-in and registers its channel type. Null, with `error`
  // naming the path and the reason, when the library cannot be used or its
  // type identifier is already registered.
  const ChannelType* LoadPlugin(const std::string& path, std::string* error);
  void RegisterType(const Guid& typeId, Factory factory);
  bool IsRegistered(const Guid& typeId) const;

  // Creates a channel of a registered type, owned by the host and pointing
  // to its context. Null when the type is unknown or the factory gave none.
  Orv_Channel* CreateChannel(const Guid& typeId);
  // Takes ownership of a channel made elsewhere and points it to the context.
  Orv_Channel* Adopt(std::unique_ptr<Orv_Channel> channel);

  // Creates a channel of the declared kind for every empty slot of `parent`,
  // except scene container slots, and links it.
  void CreateDefaultChildren(Orv_Channel& parent);

  // Debug messages shown by channels of this host, oldest first.
  const std::vector<std::string>& Messages() const { return messages_; }
  void ClearMessages() { messages_.clear(); }
  HostContext& Context() { return context_; }

  // Writes the settings of `channels` to `path`, replacing the file only
  // when all of it could be written.
  bool SaveProject(const std::string& path, const std::vector<Orv_Channel*>& channels,
                   std::string* error) const;
  // Reads a project and creates its channels by type identifier. On any
  // error returns false, explains in `error` and creates no channel.
  bool LoadProject(const std::string& path, std::vector<Orv_Channel*>* loaded, std::string* error);

 private:
  HostContext context_;
  std::vector<std::string> messages_;
  std::map<std::string, Factory> factories_;              // by Guid text
  std::vector<std::unique_ptr<PluginLibrary>> plugins_;   // outlive channels_
  std::vector<std::unique_ptr<Orv_Channel>> channels_;
};
