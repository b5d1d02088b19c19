#pragma once

#include <cstddef>
#include <functional>

namespace Importing::Import {

// Assimp's loaders and post-processing steps recurse once per level of a
// file's node tree, so a deep file overflows an ordinary 8 MiB stack (a chain
// 100,000 nodes deep needs a few hundred MiB). Imports run on a thread with
// this much stack; only the part a file reaches is ever committed.
inline constexpr std::size_t kImportStackBytes = std::size_t{1} << 30;

// Runs `work` on a new thread with a stack of `bytes`, waits for it and
// rethrows what it threw. Runs it on the calling thread when no such thread
// can be made.
void RunOnLargeStack(const std::function<void()>& work, std::size_t bytes = kImportStackBytes);

}  // namespace Importing::Import
