#pragma once

#include <pybind11/pybind11.h>

#include "session/answer.h"

namespace sceneinfo {

// The answer as the dict that json.loads makes of sci --json's line: query,
// info_type, inputs and outputs by child label, names, messages. Built from
// the typed answer directly, with the GIL held.
pybind11::dict AnswerObject(const sci::Answer& answer);

}  // namespace sceneinfo
