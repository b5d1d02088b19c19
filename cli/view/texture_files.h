#pragma once

#include <string>
#include <string_view>

// The image files a scene's texture paths name, found the way the files
// were meant: relative to the scene's folder, with '\' as a separator, and
// when the name's case differs from the file's, the file of the same name
// in any case.
namespace sci {

// The file `texturePath` names, for the scene at `scenePath`; empty when
// there is no such file.
std::string FindTextureFile(const std::string& scenePath, const std::string& texturePath);

// Reads the file at `path`, up to `limit` bytes, into `bytes`; false when
// it cannot.
bool ReadFileBytes(const std::string& path, std::string* bytes, std::size_t limit = std::string::npos);

// The MIME type of an image, told from its first bytes (PNG, JPEG, GIF,
// WebP, BMP); "application/octet-stream" for any other.
const char* ImageContentType(std::string_view bytes);

}  // namespace sci
