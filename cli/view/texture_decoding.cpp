#include "cli/view/texture_decoding.h"

#include <cstdint>
#include <memory>

#include <stb_image.h>
#include <stb_image_write.h>

namespace sci {

namespace {

struct Header {
  int width = 0, height = 0, channels = 0;
};

bool ReadHeader(std::string_view bytes, Header* header, std::string* why) {
  if (bytes.size() > static_cast<std::size_t>(INT32_MAX))
    return *why = "the image is larger than 2 GiB", false;
  if (stbi_info_from_memory(reinterpret_cast<const stbi_uc*>(bytes.data()), static_cast<int>(bytes.size()),
                            &header->width, &header->height, &header->channels) != 1)
    return *why = std::string("its format cannot be decoded here (") + stbi_failure_reason() + ")", false;
  const auto pixels = static_cast<std::size_t>(header->width) * static_cast<std::size_t>(header->height);
  if (header->width > kMaxDecodedSide || header->height > kMaxDecodedSide ||
      pixels * static_cast<std::size_t>(header->channels) > kMaxDecodedBytes)
    return *why = "the image is too large to decode (" + std::to_string(header->width) + " x " +
                  std::to_string(header->height) + ")",
           false;
  return true;
}

}  // namespace

bool CanDecodeToPng(std::string_view head, std::string* why) {
  Header header;
  return ReadHeader(head, &header, why);
}

bool DecodeToPng(std::string_view image, std::string* png, std::string* why) {
  Header header;
  if (!ReadHeader(image, &header, why)) return false;
  int width = 0, height = 0, channels = 0;
  const std::unique_ptr<stbi_uc, void (*)(void*)> pixels(
      stbi_load_from_memory(reinterpret_cast<const stbi_uc*>(image.data()), static_cast<int>(image.size()), &width,
                            &height, &channels, 0),
      stbi_image_free);
  if (pixels == nullptr) return *why = std::string("it cannot be decoded (") + stbi_failure_reason() + ")", false;
  png->clear();
  const auto append = [](void* out, void* data, int size) {
    static_cast<std::string*>(out)->append(static_cast<const char*>(data), static_cast<std::size_t>(size));
  };
  if (stbi_write_png_to_func(append, png, width, height, channels, pixels.get(), width * channels) == 0)
    return *why = "it cannot be written as PNG", false;
  return true;
}

}  // namespace sci
