#include "scene/import/gltf/gltf_reader.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "scene/import/gltf/document.h"
#include "scene/import/gltf/json_value.h"
#include "scene/import/gltf/scene_reading.h"
#include "scene/import/gltf/value_faults.h"

namespace Importing::Import {
namespace {

using Gltf::FormatError;
using Gltf::JsonValue;

constexpr std::uint32_t kGlbMagic = 0x46546C67, kJsonChunk = 0x4E4F534A, kBinChunk = 0x004E4942;

// The extensions this reader reads (those that only add what the records
// do not hold, such as unlit shading or an index of refraction, included).
constexpr const char* kReadExtensions[] = {
    "KHR_mesh_quantization", "EXT_meshopt_compression", "KHR_meshopt_compression", "KHR_draco_mesh_compression",
    "KHR_texture_transform", "KHR_lights_punctual", "KHR_materials_pbrSpecularGlossiness", "KHR_materials_unlit",
    "KHR_materials_emissive_strength", "KHR_materials_sheen", "KHR_materials_clearcoat",
    "KHR_materials_transmission", "KHR_materials_volume", "KHR_materials_ior", "EXT_texture_webp",
    "KHR_texture_basisu", "MSFT_texture_dds"};

bool IsRead(std::string_view name) {
  return std::any_of(std::begin(kReadExtensions), std::end(kReadExtensions),
                     [name](const char* known) { return name == known; });
}

std::uint32_t Word(std::string_view bytes, std::size_t at) {
  std::uint32_t value;
  std::memcpy(&value, bytes.data() + at, 4);
  return value;
}

struct Parts {
  std::string_view json;
  std::optional<std::string_view> body;
};

// The JSON and binary chunks of a GLB, each checked against the file.
Parts SplitGlb(std::string_view bytes) {
  if (bytes.size() < 20) throw FormatError("the GLB file is shorter than its 12-byte header and first chunk header");
  if (Word(bytes, 4) != 2) throw FormatError("the GLB container is version " + std::to_string(Word(bytes, 4)) + "; only version 2 is read");
  const std::uint64_t length = Word(bytes, 8);
  if (length > bytes.size())
    throw FormatError("the GLB header claims " + std::to_string(length) + " bytes but the file has " + std::to_string(bytes.size()));
  bytes = bytes.substr(0, length);
  Parts parts;
  std::size_t at = 12;
  for (int chunk = 0; at + 8 <= bytes.size(); ++chunk) {
    const std::uint64_t size = Word(bytes, at), type = Word(bytes, at + 4);
    if (size > bytes.size() - at - 8)
      throw FormatError("GLB chunk " + std::to_string(chunk) + " claims " + std::to_string(size) + " bytes past the end of the file");
    const std::string_view content = bytes.substr(at + 8, size);
    if (chunk == 0 && type != kJsonChunk) throw FormatError("the first GLB chunk is not JSON");
    if (chunk == 0) parts.json = content;
    else if (chunk == 1 && type == kBinChunk) parts.body = content;
    at += 8 + size;
  }
  if (parts.json.empty()) throw FormatError("the GLB file has no JSON chunk");
  return parts;
}

Parts SplitParts(std::string_view bytes) {
  if (bytes.size() >= 4 && Word(bytes, 0) == kGlbMagic) return SplitGlb(bytes);
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);  // a UTF-8 byte order mark
  return {bytes, std::nullopt};
}

// `text` with each byte that does not belong to a valid UTF-8 sequence
// replaced by U+FFFD.
std::string RepairedUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const auto byte = static_cast<unsigned char>(text[i]);
    std::size_t length = byte < 0x80 ? 1 : (byte >> 5) == 0x6 ? 2 : (byte >> 4) == 0xE ? 3 : (byte >> 3) == 0x1E ? 4 : 0;
    bool valid = length > 0 && i + length <= text.size();
    for (std::size_t k = 1; valid && k < length; ++k) valid = (static_cast<unsigned char>(text[i + k]) >> 6) == 0x2;
    if (valid && simdjson::validate_utf8(text.data() + i, length)) {
      out.append(text.substr(i, length));
      i += length;
    } else {
      out.append("\xEF\xBF\xBD");
      ++i;
    }
  }
  return out;
}

simdjson::dom::element Parse(simdjson::dom::parser& parser, std::string_view json, std::vector<std::string>* warnings,
                             std::string& repaired) {
  simdjson::dom::element root;
  auto error = parser.parse(json.data(), json.size()).get(root);
  if (error == simdjson::UTF8_ERROR && warnings) {
    // Names typed in another encoding should not cost the whole file.
    repaired = RepairedUtf8(json);
    warnings->push_back("The JSON holds bytes that are not UTF-8; each is read as U+FFFD");
    error = parser.parse(repaired.data(), repaired.size()).get(root);
  }
  if (error != simdjson::SUCCESS) throw FormatError(std::string("the JSON is malformed: ") + simdjson::error_message(error));
  if (!root.is_object()) throw FormatError("the JSON is not an object");
  return root;
}

std::vector<std::string> Names(const JsonValue& root, std::string_view key) {
  std::vector<std::string> names;
  if (const auto list = root.Find(key))
    for (const JsonValue& item : list->Items()) names.emplace_back(item.AsString());
  return names;
}

void CheckVersionAndExtensions(const JsonValue& root, std::vector<std::string>& warnings) {
  const std::string version = root.At("asset").String("version");
  if (version.empty() || version[0] != '2')
    root.At("asset").Fail("version is '" + version + "'; only glTF 2.0 is read");
  for (const std::string& name : Names(root, "extensionsRequired"))
    if (!IsRead(name)) throw FormatError("the file requires the extension " + name + ", which this reader does not read");
  for (const std::string& name : Names(root, "extensionsUsed"))
    if (!IsRead(name)) warnings.push_back("The file uses the extension " + name + ", which is not read; what it adds is left out");
}

}  // namespace

bool LooksLikeGltf(std::string_view head) {
  if (head.size() >= 4 && Word(head, 0) == kGlbMagic) return true;
  const std::size_t start = head.find_first_not_of(" \t\r\n\xEF\xBB\xBF");
  return start != std::string_view::npos && head[start] == '{' && head.find("\"asset\"") != std::string_view::npos;
}

bool ReadGltf(std::string_view bytes, const Gltf::FileReader& readFile, SceneData& data, std::string* error) {
  try {
    const Parts parts = SplitParts(bytes);
    simdjson::dom::parser parser;
    SceneData read;
    std::string repaired;
    const JsonValue root(Parse(parser, parts.json, &read.source.warnings, repaired), "glTF");
    CheckVersionAndExtensions(root, read.source.warnings);
    const Gltf::BinaryData binary(root, parts.body, readFile);
    const Gltf::Document document(root, binary, read.source.warnings);
    Gltf::ReadScene(document, read);
    for (const std::string& fault : Gltf::ValueFaults(read))
      read.source.warnings.push_back("Kept as the file holds it: " + fault);
    read.source.format = bytes.size() >= 4 && Word(bytes, 0) == kGlbMagic ? "glTF 2.0 GLB" : "glTF 2.0";
    data = std::move(read);
    return true;
  } catch (const FormatError& failure) {
    if (error) *error = failure.what();
    return false;
  }
}

std::vector<std::string> GltfExtensions(std::string_view bytes) {
  try {
    const Parts parts = SplitParts(bytes);
    simdjson::dom::parser parser;
    std::string repaired;
    const JsonValue root(Parse(parser, parts.json, nullptr, repaired), "glTF");
    std::vector<std::string> names = Names(root, "extensionsUsed");
    for (std::string& name : Names(root, "extensionsRequired"))
      if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(std::move(name));
    return names;
  } catch (const FormatError&) {
    return {};
  }
}

}  // namespace Importing::Import
