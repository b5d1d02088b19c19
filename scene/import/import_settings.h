#pragma once

// The settings every import runs under, as values and as the text that tells
// results of other settings apart. Needs none of the readers' libraries, so
// that hosts, which only start the import helper, do not load them.

#include <string>

namespace Importing {
enum class GltfReader;
}

namespace Importing::Import {

// The post-processing every Assimp import asks for. Steps that would change
// what a user asks about (pre-transforming, merging, splitting, flipping,
// ...) are deliberately absent.
unsigned PostProcessFlags(bool validate);

// The settings above and the glTF reader as text.
std::string ImportSettingsText(GltfReader gltfReader);

// Names the reader libraries the helper runs on as installed now: path, size,
// modification time and inode of each, so that an upgrade of one tells its
// snapshots apart.
std::string ReaderLibrariesText();

// The extensions the readers take, e.g. "*.3ds;*.dae;*.fbx;...", asked of
// the Assimp library loaded for the purpose; empty (and `error` says why)
// when it cannot be loaded.
std::string ReadableExtensions(std::string* error);

}  // namespace Importing::Import
