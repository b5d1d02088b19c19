#pragma once

#include <string>

#include "host/guid.h"
#include "host/host.h"

namespace crosscheck {

// The cross-check project: one plug-in channel per info type, then channels
// set to values outside the table, every third with the update-name flag,
// each named after its info type. Both sides make it the same way.
//
// Writes that project to `path`, with channels of type `typeId` made by
// `host`; false with the reason in `error`.
bool WriteProject(Host& host, const Guid& typeId, const std::string& path, std::string* error);

// Loads the project at `path` into `host` and checks each channel's name,
// settings and child count, and that the file holds exactly the bytes that
// WriteProject writes here. False with the first difference in `error`.
bool CheckProject(Host& host, const Guid& typeId, const std::string& path, std::string* error);

}  // namespace crosscheck
