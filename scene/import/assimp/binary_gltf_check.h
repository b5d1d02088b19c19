#pragma once

// Binary glTF (GLB) files declare the length of each chunk in their header,
// and Assimp allocates (and clears) what a chunk claims before it finds out
// that the file is shorter: a few hundred bytes could make it take gigabytes.
// This check holds the claims against the real size first.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace Importing::Import {

// Copies `count` bytes at `offset` of the file into `out`; false when the
// file ends before.
using ReadAt = std::function<bool(std::uint64_t offset, void* out, std::size_t count)>;

// True when the file of `size` bytes is no binary glTF (it does not start
// with "glTF") or each chunk it declares fits in the file; otherwise false
// with the reason in `why`.
bool CheckBinaryGltfLengths(std::uint64_t size, const ReadAt& read, std::string* why);

}  // namespace Importing::Import
