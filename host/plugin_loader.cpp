#include "host/plugin_loader.h"

#include "host/orv_channel.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace {

// The platform's shared-library calls behind one small interface.
#if defined(_WIN32)
void* OpenLibrary(const std::string& path) { return LoadLibraryA(path.c_str()); }
void* FindSymbol(void* handle, const char* name) {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle), name));
}
void CloseLibrary(void* handle) { FreeLibrary(static_cast<HMODULE>(handle)); }
std::string LastError() { return "error " + std::to_string(GetLastError()); }
#else
void* OpenLibrary(const std::string& path) { return dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL); }
void* FindSymbol(void* handle, const char* name) { return dlsym(handle, name); }
void CloseLibrary(void* handle) { dlclose(handle); }
std::string LastError() {
  const char* text = dlerror();
  return text ? text : "unknown error";
}
#endif

}  // namespace

std::unique_ptr<PluginLibrary> PluginLibrary::Open(const std::string& path, std::string* error) {
  const auto fail = [&](const std::string& why) {
    if (error) *error = "cannot load plug-in \"" + path + "\": " + why;
    return nullptr;
  };
  void* handle = OpenLibrary(path);
  if (handle == nullptr) return fail(LastError());
  const auto getType = reinterpret_cast<GetTypeFunction>(FindSymbol(handle, "GetType"));
  const auto initDll = reinterpret_cast<InitDllFunction>(FindSymbol(handle, "InitDLL"));
  const char* missing = getType == nullptr ? "GetType" : initDll == nullptr ? "InitDLL" : nullptr;
  if (missing != nullptr) {
    CloseLibrary(handle);
    return fail(std::string("it does not export \"") + missing + "\"");
  }
  const ChannelType* type = getType();
  if (type == nullptr || type->name[0] == '\0') {
    CloseLibrary(handle);
    return fail("GetType reported no channel type name");
  }
  return std::unique_ptr<PluginLibrary>(new PluginLibrary(handle, path, initDll, *type));
}

PluginLibrary::PluginLibrary(void* handle, std::string path, InitDllFunction initDll, const ChannelType& type)
    : handle_(handle), path_(std::move(path)), initDll_(initDll), type_(type) {}

PluginLibrary::~PluginLibrary() { CloseLibrary(handle_); }

std::unique_ptr<Orv_Channel> PluginLibrary::CreateChannel() const {
  std::unique_ptr<Orv_Channel> channel(initDll_());
  if (channel) channel->SetChannelType(type_);
  return channel;
}
