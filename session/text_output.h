#pragma once

#include <string>

#include "session/answer.h"

namespace sci {

// Appends a query's outputs for a person to read: each as "label: value",
// matrices as four rows, XML texts as they are, meshes and key lists as a
// short summary unless `full`.
void AppendText(const Answer& answer, bool full, std::string& out);

// Appends "x, y, z".
void AppendVector(std::string& out, const D3DXVECTOR3& v);

}  // namespace sci
