#pragma once

// The two kinds of URI a glTF document holds: `data:` URIs with the bytes
// inside, and relative references to files beside the document.

#include <optional>
#include <string>
#include <string_view>

namespace Importing::Import::Gltf {

struct DataUri {
  std::string mediaType;  // e.g. "image/png"; may be empty
  std::string bytes;
};

// The bytes of a `data:` URI (base64 or percent-encoded); nullopt when
// `uri` is not a data URI. A data URI that cannot be decoded is an error.
std::optional<DataUri> ParseDataUri(std::string_view uri);

// `uri` with each %XX escape replaced by its byte.
std::string PercentDecoded(std::string_view uri);

// Whether `uri` names a file by a relative reference (no scheme, not
// absolute), the only kind of file reference the reader follows.
bool IsRelativeFileReference(std::string_view uri);

}  // namespace Importing::Import::Gltf
