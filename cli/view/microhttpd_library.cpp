#include "cli/view/microhttpd_library.h"

#include <dlfcn.h>

namespace sci {

namespace {

// Fills `function` with the library's `name`; false when it has none.
template <typename Function>
bool Take(void* library, const char* name, Function& function, std::string* error) {
  function = reinterpret_cast<Function>(::dlsym(library, name));
  if (function == nullptr) *error = std::string(SCI_MICROHTTPD_SONAME) + " has no " + name;
  return function != nullptr;
}

}  // namespace

const MicroHttpd* LoadMicroHttpd(std::string* error) {
  static MicroHttpd table;
  static bool loaded = false;
  if (loaded) return &table;
  void* library = ::dlopen(SCI_MICROHTTPD_SONAME, RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) {
    *error = std::string("cannot load ") + SCI_MICROHTTPD_SONAME + " (Debian: apt-get install libmicrohttpd12): " +
             ::dlerror();
    return nullptr;
  }
  loaded = Take(library, "MHD_start_daemon", table.start_daemon, error) &&
           Take(library, "MHD_stop_daemon", table.stop_daemon, error) &&
           Take(library, "MHD_lookup_connection_value", table.lookup_connection_value, error) &&
           Take(library, "MHD_create_response_from_buffer_with_free_callback_cls",
                table.create_response_from_buffer_with_free_callback_cls, error) &&
           Take(library, "MHD_add_response_header", table.add_response_header, error) &&
           Take(library, "MHD_queue_response", table.queue_response, error) &&
           Take(library, "MHD_destroy_response", table.destroy_response, error);
  if (!loaded) ::dlclose(library);
  return loaded ? &table : nullptr;
}

}  // namespace sci
