#pragma once

// Assimp 5.2.5's PLY reader loops forever on some malformed header lines (a
// property without a type, for one), and a loop inside the library cannot
// be interrupted. The header of a PLY file is a short list of text lines
// with a fixed grammar; this check accepts only headers that follow it, so
// Assimp never sees one it could hang on.

#include <cstddef>
#include <string>

namespace Importing::Import {

// The most header bytes read before "end_header" must have come.
inline constexpr std::size_t kMaxPlyHeaderBytes = 1 << 16;

// True when `data` (the file's first bytes, at most kMaxPlyHeaderBytes are
// read) is no PLY file (neither `plyExtension` nor starting, after blanks,
// with "ply" or "PLY") or its header is well formed: the line "ply", a format
// line, then element and property lines, each property of a known type under
// an element, and other printable lines, which Assimp skips, ended by
// "end_header". Otherwise false with the line and the
// reason in `why`.
bool CheckPlyHeader(const char* data, std::size_t size, bool plyExtension, std::string* why);

}  // namespace Importing::Import
