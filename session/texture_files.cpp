#include "session/texture_files.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include <stb_image.h>

namespace sci {

namespace fs = std::filesystem;

namespace {

std::string Folded(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

// The entry of `folder` named `name` in any case; empty when there is none.
fs::path FindIgnoringCase(const fs::path& folder, const std::string& name) {
  std::error_code error;
  const std::string wanted = Folded(name);
  for (fs::directory_iterator entry(folder, error), end; !error && entry != end; entry.increment(error))
    if (Folded(entry->path().filename().string()) == wanted) return entry->path();
  return {};
}

bool IsFile(const fs::path& path) {
  std::error_code error;
  return !path.empty() && fs::is_regular_file(path, error);
}

std::string FileName(std::string path) {
  std::replace(path.begin(), path.end(), '\\', '/');
  return path.substr(path.rfind('/') + 1);
}

// The index of the embedded image `texturePath` names; -1 for none.
long EmbeddedImage(const Importing::SceneSource& source, const std::string& texturePath) {
  const auto& names = source.embeddedImageNames;
  if (texturePath.size() > 1 && texturePath[0] == '*') {
    char* end = nullptr;
    const long index = std::strtol(texturePath.c_str() + 1, &end, 10);
    return *end == '\0' && index >= 0 && static_cast<std::size_t>(index) < names.size() ? index : -1;
  }
  const std::string name = FileName(texturePath);
  for (std::size_t i = 0; i < names.size(); ++i)
    if (!names[i].empty() && FileName(names[i]) == name) return static_cast<long>(i);
  return -1;
}

bool Inside(const fs::path& file, const fs::path& folder) {
  std::error_code error;
  const fs::path root = fs::canonical(folder.empty() ? fs::path(".") : folder, error);
  if (error) return false;
  const std::string inside = root.string() == "/" ? "/" : root.string() + "/";
  return file.string().compare(0, inside.size(), inside) == 0;
}

// `path` with links and `..` resolved, when it is a regular file of at most
// kMaxTextureFileBytes inside one of `folders` (each resolved); empty with
// the reason in `why` otherwise. A scene file names its textures, so it
// must not reach files elsewhere.
std::string ConfinedFile(const fs::path& path, const std::vector<fs::path>& folders, std::string* why) {
  std::error_code error;
  const fs::path file = fs::canonical(path, error);
  if (path.empty() || error) return *why = "no such file beside the scene", std::string();
  if (std::none_of(folders.begin(), folders.end(), [&](const fs::path& folder) { return Inside(file, folder); }))
    return *why = "it lies outside the scene's folder (--texture-root names others)", std::string();
  if (!fs::is_regular_file(file, error)) return *why = "it is not a regular file", std::string();
  if (fs::file_size(file, error) > kMaxTextureFileBytes || error)
    return *why = "it is larger than " + std::to_string(kMaxTextureFileBytes >> 20) + " MiB", std::string();
  return file.string();
}

// The file `texturePath` names, for the scene at `scenePath`; empty with
// the reason in `why` when there is no such file where textures may be.
std::string FindTextureFile(const std::string& scenePath, const std::string& texturePath,
                            const std::vector<std::string>& roots, std::string* why) {
  std::string name = texturePath;
  std::replace(name.begin(), name.end(), '\\', '/');
  const fs::path folder = fs::path(scenePath).parent_path();
  fs::path path = fs::path(name).is_absolute() ? fs::path(name) : folder / name;
  if (!IsFile(path)) path = FindIgnoringCase(path.parent_path(), path.filename().string());
  if (!IsFile(path)) path = FindIgnoringCase(folder, fs::path(name).filename().string());
  for (auto root = roots.begin(); !IsFile(path) && root != roots.end(); ++root)
    path = FindIgnoringCase(*root, fs::path(name).filename().string());
  std::vector<fs::path> folders{folder};
  folders.insert(folders.end(), roots.begin(), roots.end());
  return ConfinedFile(path, folders, why);
}

}  // namespace

bool ReadTextureImage(const std::string& scenePath, const Importing::SceneSource& source,
                      const std::string& texturePath, std::string* bytes, std::string* why,
                      const std::vector<std::string>& roots, std::size_t limit) {
  const long embedded = EmbeddedImage(source, texturePath);
  if (embedded >= 0 && static_cast<std::size_t>(embedded) < source.embeddedImageBytes.size() &&
      !source.embeddedImageBytes[embedded].empty()) {
    *bytes = source.embeddedImageBytes[embedded].substr(0, limit);
    return true;
  }
  const std::string file = FindTextureFile(scenePath, texturePath, roots, why);
  if (file.empty()) return false;
  std::string head;
  if (!ReadFileBytes(file, &head, 4096)) return *why = "it cannot be read", false;
  if (!LooksLikeImage(head)) return *why = "its content is not an image", false;
  if (limit <= head.size()) return *bytes = head.substr(0, limit), true;
  if (!ReadFileBytes(file, bytes, limit)) return *why = "it cannot be read", false;
  return true;
}

ImageFacts InspectTextureImage(const std::string& scenePath, const Importing::SceneSource& source,
                               const std::string& texturePath) {
  ImageFacts facts;
  facts.embedded = EmbeddedImage(source, texturePath) >= 0;
  std::string bytes, why;
  if (!ReadTextureImage(scenePath, source, texturePath, &bytes, &why)) return facts;
  facts.found = true;
  facts.bytes = bytes.size();
  const auto starts = [&](std::string_view magic) { return std::string_view(bytes).substr(0, magic.size()) == magic; };
  const std::string_view type = ImageContentType(bytes);
  int channels = 0;
  const bool told = stbi_info_from_memory(reinterpret_cast<const stbi_uc*>(bytes.data()), static_cast<int>(bytes.size()),
                                          &facts.width, &facts.height, &channels) == 1;
  if (!told) facts.width = facts.height = 0;
  if (type != "application/octet-stream") facts.format = type.substr(type.find('/') + 1);
  else if (starts(std::string_view("\xABKTX 20\xBB\r\n\x1A\n", 12))) facts.format = "ktx2";
  else if (starts("DDS ")) facts.format = "dds";
  else if (starts("8BPS")) facts.format = "psd";
  else if (starts("#?")) facts.format = "hdr";
  else if (bytes.size() > 1 && bytes[0] == 'P' && bytes[1] >= '1' && bytes[1] <= '7') facts.format = "pnm";
  else if (told) facts.format = "tga";  // the one format stb_image reads that has no magic
  return facts;
}

bool ReadFileBytes(const std::string& path, std::string* bytes, std::size_t limit) {
  std::ifstream file(path, std::ios::binary);
  if (limit == std::string::npos) {
    bytes->assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  } else {
    bytes->resize(limit);
    file.read(bytes->data(), static_cast<std::streamsize>(limit));
    bytes->resize(static_cast<std::size_t>(file.gcount()));
  }
  return file.is_open() && !file.bad();
}

const char* ImageContentType(std::string_view bytes) {
  const auto starts = [&](std::string_view magic, std::size_t at = 0) { return bytes.substr(at, magic.size()) == magic; };
  if (starts("\x89PNG")) return "image/png";
  if (starts("\xFF\xD8\xFF")) return "image/jpeg";
  if (starts("GIF8")) return "image/gif";
  if (starts("RIFF") && starts("WEBP", 8)) return "image/webp";
  if (starts("BM")) return "image/bmp";
  return "application/octet-stream";
}

bool LooksLikeImage(std::string_view head) {
  if (std::string_view(ImageContentType(head)) != "application/octet-stream") return true;
  if (head.substr(0, 12) == std::string_view("\xABKTX 20\xBB\r\n\x1A\n", 12) || head.substr(0, 4) == "DDS ")
    return true;
  int width = 0, height = 0, channels = 0;
  return stbi_info_from_memory(reinterpret_cast<const stbi_uc*>(head.data()), static_cast<int>(head.size()), &width,
                               &height, &channels) == 1;
}

}  // namespace sci
