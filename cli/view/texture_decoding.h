#pragma once

#include <string>
#include <string_view>

// Images a browser cannot draw (TGA, PSD, HDR, PIC, PNM), decoded with
// stb_image and sent as PNG.
namespace sci {

// The largest image decoded: its sides and its decoded size.
inline constexpr int kMaxDecodedSide = 16384;
inline constexpr std::size_t kMaxDecodedBytes = std::size_t{256} << 20;

// True when `head`, an image's first bytes, is one DecodeToPng can decode
// within the limits above; false with the reason in `why` otherwise. Only
// the header is read.
bool CanDecodeToPng(std::string_view head, std::string* why);

// `image` decoded and written as PNG into `png`; false with the reason in
// `why` when it cannot be (its size is checked before any pixel is decoded).
bool DecodeToPng(std::string_view image, std::string* png, std::string* why);

}  // namespace sci
