#pragma once

// libmicrohttpd, loaded when sci --view starts rather than with every run of
// sci: the library and the TLS stack it links take longer to load than a
// cached answer takes to give.

#include <microhttpd.h>

#include <string>

namespace sci {

struct MicroHttpd {
  decltype(&MHD_start_daemon) start_daemon;
  decltype(&MHD_stop_daemon) stop_daemon;
  decltype(&MHD_lookup_connection_value) lookup_connection_value;
  decltype(&MHD_create_response_from_buffer_with_free_callback_cls) create_response_from_buffer_with_free_callback_cls;
  decltype(&MHD_add_response_header) add_response_header;
  decltype(&MHD_queue_response) queue_response;
  decltype(&MHD_destroy_response) destroy_response;
};

// Loads the library once (later calls give the same table); null when it
// cannot be loaded or lacks a function, and `error` says which.
const MicroHttpd* LoadMicroHttpd(std::string* error);

}  // namespace sci
