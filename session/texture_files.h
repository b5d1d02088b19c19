#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "scene/scene_container.h"

// The images a scene's texture paths name: images embedded in the scene
// file, and files found the way they were meant: relative to the scene's
// folder, with '\' as a separator, and when the name's case differs from
// the file's, the file of the same name in any case.
namespace sci {

// The largest texture file read from disk.
inline constexpr std::uintmax_t kMaxTextureFileBytes = std::uintmax_t{256} << 20;

// Reads the image `texturePath` names, up to `limit` bytes, into `bytes`:
// the embedded image "*N", or the one the scene gave the path's file name,
// else the file beside the scene at `scenePath`: a regular file inside the
// scene's folder or one of `roots` once links and `..` are resolved, at most
// kMaxTextureFileBytes, whose content is an image. False with the reason in
// `why` when there is none.
bool ReadTextureImage(const std::string& scenePath, const Importing::SceneSource& source,
                      const std::string& texturePath, std::string* bytes, std::string* why,
                      const std::vector<std::string>& roots = {}, std::size_t limit = std::string::npos);

// What the image a texture path names is.
struct ImageFacts {
  bool embedded = false;  // inside the scene file
  bool found = false;     // its bytes could be read
  std::string format;     // "png", "jpeg", ...; empty when not told
  int width = 0, height = 0;  // 0 when not told
  std::uint64_t bytes = 0;    // as stored
};

// What the image `texturePath` names is, found as ReadTextureImage finds it
// (without further roots): embedded or a file, its format ("png", "jpeg",
// "gif", "webp", "bmp", "ktx2", "dds", "psd", "hdr", "pnm", "tga"), its
// pixel size where stb_image tells it, and its bytes.
ImageFacts InspectTextureImage(const std::string& scenePath, const Importing::SceneSource& source,
                               const std::string& texturePath);

// Reads the file at `path`, up to `limit` bytes, into `bytes`; false when
// it cannot.
bool ReadFileBytes(const std::string& path, std::string* bytes, std::size_t limit = std::string::npos);

// The MIME type of an image, told from its first bytes (PNG, JPEG, GIF,
// WebP, BMP); "application/octet-stream" for any other.
const char* ImageContentType(std::string_view bytes);

// True when `head`, a file's first bytes (4 KiB are enough), starts an image:
// one a browser draws, KTX2 or DDS by their magic, or one stb_image reads
// (TGA, PSD, HDR, PIC, PNM).
bool LooksLikeImage(std::string_view head);

}  // namespace sci
