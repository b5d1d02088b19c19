#pragma once

#include <memory>
#include <string>

#include "host/channel_type.h"
#include "host/export.h"

class Orv_Channel;

// A channel plug-in opened from its shared library. It resolves the two
// exported entry points, GetType and InitDLL, and keeps the library loaded
// for as long as the object lives: destroy every channel it created first.
class ORVHOST_API PluginLibrary {
 public:
  using GetTypeFunction = ChannelType* (*)();
  using InitDllFunction = Orv_Channel* (*)();

  // Opens the library at `path`. On failure returns null and explains in
  // `error`, naming the path and what is missing (the file, a symbol, a type name).
  static std::unique_ptr<PluginLibrary> Open(const std::string& path, std::string* error);

  ~PluginLibrary();
  PluginLibrary(const PluginLibrary&) = delete;
  PluginLibrary& operator=(const PluginLibrary&) = delete;

  // The channel type as GetType reported it when the library was opened.
  const ChannelType& Type() const { return type_; }
  const std::string& Path() const { return path_; }

  // A new channel from InitDLL, with its type record set; null when InitDLL
  // returned null. The caller owns it and must delete it before this object.
  std::unique_ptr<Orv_Channel> CreateChannel() const;

 private:
  PluginLibrary(void* handle, std::string path, InitDllFunction initDll, const ChannelType& type);

  void* handle_;
  std::string path_;
  InitDllFunction initDll_;
  ChannelType type_;
};
