#include "scene/import/gltf/binary_data.h"

#include <meshoptimizer.h>

#include <algorithm>
#include <cstring>
#include <limits>

#include "scene/import/gltf/uri_text.h"

namespace Importing::Import::Gltf {
namespace {

constexpr int kByte = 5120, kUnsignedByte = 5121, kShort = 5122, kUnsignedShort = 5123, kUnsignedInt = 5125,
              kFloat = 5126;
// Accessors without a buffer view hold zeros; beyond this many elements
// such a claim is refused rather than allocated.
constexpr std::uint64_t kMaxZeroElements = std::uint64_t{1} << 28;
// A meshopt stream cannot expand more than this (its densest block codes
// 16 bytes in 2 bits); a larger claim is refused before allocating.
constexpr std::uint64_t kMaxMeshoptExpansion = 128;

int ComponentSize(int type) {
  switch (type) {
    case kByte: case kUnsignedByte: return 1;
    case kShort: case kUnsignedShort: return 2;
    case kUnsignedInt: case kFloat: return 4;
    default: return 0;
  }
}

int ComponentsOf(std::string_view type) {
  if (type == "SCALAR") return 1;
  if (type == "VEC2") return 2;
  if (type == "VEC3") return 3;
  if (type == "VEC4") return 4;
  if (type == "MAT2") return 4;
  if (type == "MAT3") return 9;
  if (type == "MAT4") return 16;
  return 0;
}

// a * b + c without wrapping; false when it would.
bool MulAdd(std::uint64_t a, std::uint64_t b, std::uint64_t c, std::uint64_t& out) {
  std::uint64_t product = 0;
  return !__builtin_mul_overflow(a, b, &product) && !__builtin_add_overflow(product, c, &out);
}

std::string BytesText(std::uint64_t n) { return std::to_string(n) + (n == 1 ? " byte" : " bytes"); }

template <typename T>
float Normalized(T value) {
  if constexpr (std::is_same_v<T, std::int8_t>) return std::max(static_cast<float>(value) / 127.0f, -1.0f);
  if constexpr (std::is_same_v<T, std::uint8_t>) return static_cast<float>(value) / 255.0f;
  if constexpr (std::is_same_v<T, std::int16_t>) return std::max(static_cast<float>(value) / 32767.0f, -1.0f);
  if constexpr (std::is_same_v<T, std::uint16_t>) return static_cast<float>(value) / 65535.0f;
  if constexpr (std::is_same_v<T, std::uint32_t>) return static_cast<float>(value / 4294967295.0);
  return static_cast<float>(value);
}

// Converts `count` elements of `components` values of T, `stride` bytes
// apart, into packed floats.
template <typename T>
void ConvertElements(const char* first, std::uint64_t stride, std::uint64_t count, int components, bool normalized,
                     float* out) {
  for (std::uint64_t i = 0; i < count; ++i) {
    const char* element = first + i * stride;
    for (int c = 0; c < components; ++c) {
      T value;
      std::memcpy(&value, element + c * sizeof(T), sizeof(T));
      *out++ = normalized ? Normalized(value) : static_cast<float>(value);
    }
  }
}

void Convert(int type, const char* first, std::uint64_t stride, std::uint64_t count, int components, bool normalized,
             float* out) {
  switch (type) {
    case kByte: return ConvertElements<std::int8_t>(first, stride, count, components, normalized, out);
    case kUnsignedByte: return ConvertElements<std::uint8_t>(first, stride, count, components, normalized, out);
    case kShort: return ConvertElements<std::int16_t>(first, stride, count, components, normalized, out);
    case kUnsignedShort: return ConvertElements<std::uint16_t>(first, stride, count, components, normalized, out);
    case kUnsignedInt: return ConvertElements<std::uint32_t>(first, stride, count, components, normalized, out);
    default: return ConvertElements<float>(first, stride, count, components, false, out);
  }
}

std::uint32_t IndexAt(int type, const char* at) {
  if (type == kUnsignedByte) return static_cast<unsigned char>(*at);
  if (type == kUnsignedShort) {
    std::uint16_t value;
    std::memcpy(&value, at, 2);
    return value;
  }
  std::uint32_t value;
  std::memcpy(&value, at, 4);
  return value;
}

}  // namespace

std::uint64_t ElementSize(int componentType, int components) {
  const std::uint64_t size = static_cast<std::uint64_t>(ComponentSize(componentType));
  if (components == 4 && size < 4) return 8;        // MAT2 of bytes or shorts: columns padded
  if (components == 9 && size < 4) return size == 1 ? 12 : 24;
  return size * static_cast<std::uint64_t>(components);
}

BinaryData::BinaryData(const JsonValue& document, std::optional<std::string_view> body, const FileReader& readFile) {
  ReadBuffers(document, body, readFile);
  ReadViews(document);
  ReadAccessors(document);
  decodedViews_.resize(views_.size());
}

void BinaryData::ReadBuffers(const JsonValue& document, std::optional<std::string_view> body,
                             const FileReader& readFile) {
  const auto list = document.Find("buffers");
  const std::vector<JsonValue> items = list ? list->Items() : std::vector<JsonValue>{};
  const std::size_t count = items.size();
  buffers_.resize(count);
  for (std::size_t i = 0; i < count; ++i) {
    const JsonValue& buffer = items[i];
    Buffer& target = buffers_[i];
    target.byteLength = buffer.Index("byteLength");
    const auto uri = buffer.Find("uri");
    if (!uri) {
      const auto extensions = buffer.Find("extensions");
      const bool fallback = extensions && (extensions->Find("EXT_meshopt_compression") ||
                                           extensions->Find("KHR_meshopt_compression"));
      if (i == 0 && body) {
        target.bytes = *body;
      } else if (fallback) {
        target.present = false;
        continue;
      } else {
        buffer.Fail("has no 'uri' and is not the GLB binary chunk");
      }
    } else if (auto data = ParseDataUri(uri->AsString())) {
      target.storage = std::move(data->bytes);
      target.bytes = target.storage;
    } else {
      const std::string path = PercentDecoded(uri->AsString());
      if (!IsRelativeFileReference(path)) uri->Fail("'" + path + "' is not a file beside the scene");
      auto bytes = readFile(path);
      if (!bytes) uri->Fail("the file '" + path + "' is missing");
      target.storage = std::move(*bytes);
      target.bytes = target.storage;
    }
    if (target.bytes.size() < target.byteLength)
      buffer.Fail("claims " + BytesText(target.byteLength) + " but holds " + BytesText(target.bytes.size()));
    target.bytes = target.bytes.substr(0, target.byteLength);
  }
}

void BinaryData::ReadViews(const JsonValue& document) {
  const auto list = document.Find("bufferViews");
  const std::vector<JsonValue> items = list ? list->Items() : std::vector<JsonValue>{};
  const std::size_t count = items.size();
  views_.resize(count);
  for (std::size_t i = 0; i < count; ++i) {
    const JsonValue& view = items[i];
    ViewRecord& target = views_[i];
    target.place = view.Place();
    target.buffer = view.Index("buffer");
    target.offset = view.OptionalIndex("byteOffset").value_or(0);
    target.length = view.Index("byteLength");
    target.stride = view.OptionalIndex("byteStride").value_or(0);
    if (target.buffer >= buffers_.size()) view.Fail("names buffers[" + std::to_string(target.buffer) + "], which does not exist");
    if (target.stride != 0 && (target.stride < 4 || target.stride > 252 || target.stride % 4 != 0))
      view.Fail("byteStride " + std::to_string(target.stride) + " is not a multiple of 4 from 4 to 252");
    if (const auto extensions = view.Find("extensions")) {
      auto meshopt = extensions->Find("EXT_meshopt_compression");
      if (!meshopt) meshopt = extensions->Find("KHR_meshopt_compression");
      if (meshopt) {
        Meshopt m;
        m.buffer = meshopt->Index("buffer");
        m.offset = meshopt->OptionalIndex("byteOffset").value_or(0);
        m.length = meshopt->Index("byteLength");
        m.stride = meshopt->Index("byteStride");
        m.count = meshopt->Index("count");
        m.mode = meshopt->String("mode");
        m.filter = meshopt->String("filter", "NONE");
        if (m.buffer >= buffers_.size() || !buffers_[m.buffer].present)
          meshopt->Fail("names buffers[" + std::to_string(m.buffer) + "], which holds no data");
        std::uint64_t end = 0;
        if (!MulAdd(1, m.offset, m.length, end) || end > buffers_[m.buffer].bytes.size())
          meshopt->Fail(BytesText(m.length) + " from offset " + std::to_string(m.offset) + " pass the end of buffers[" +
                        std::to_string(m.buffer) + "] (" + BytesText(buffers_[m.buffer].bytes.size()) + ")");
        std::uint64_t decoded = 0;
        if (!MulAdd(m.count, m.stride, 0, decoded) || decoded > target.length)
          meshopt->Fail(std::to_string(m.count) + " elements of " + BytesText(m.stride) + " do not fit in the view's " +
                        BytesText(target.length));
        target.meshopt = std::move(m);
        continue;
      }
    }
    const Buffer& buffer = buffers_[target.buffer];
    std::uint64_t end = 0;
    if (!MulAdd(1, target.offset, target.length, end) || end > buffer.byteLength)
      view.Fail(BytesText(target.length) + " from offset " + std::to_string(target.offset) + " pass the end of buffers[" +
                std::to_string(target.buffer) + "] (" + BytesText(buffer.byteLength) + ")");
  }
}

void BinaryData::ReadAccessors(const JsonValue& document) {
  const auto list = document.Find("accessors");
  const std::vector<JsonValue> items = list ? list->Items() : std::vector<JsonValue>{};
  const std::size_t count = items.size();
  accessors_.resize(count);
  for (std::size_t i = 0; i < count; ++i) {
    const JsonValue& accessor = items[i];
    Accessor& target = accessors_[i];
    target.place = accessor.Place();
    if (const auto view = accessor.OptionalIndex("bufferView")) {
      if (*view >= views_.size()) accessor.Fail("names bufferViews[" + std::to_string(*view) + "], which does not exist");
      target.view = static_cast<std::size_t>(*view);
    }
    target.offset = accessor.OptionalIndex("byteOffset").value_or(0);
    target.componentType = static_cast<int>(accessor.Index("componentType"));
    if (ComponentSize(target.componentType) == 0)
      accessor.Fail("componentType " + std::to_string(target.componentType) + " is not one of the format's");
    target.components = ComponentsOf(accessor.At("type").AsString());
    if (target.components == 0) accessor.Fail("type '" + std::string(accessor.At("type").AsString()) + "' is not one of the format's");
    target.normalized = accessor.Bool("normalized", false);
    target.count = accessor.Index("count");
    if (target.count == 0) accessor.Fail("count must be at least 1");
    if (!target.view && target.count > kMaxZeroElements)
      accessor.Fail("claims " + std::to_string(target.count) + " elements without a buffer view");
    if (const auto sparse = accessor.Find("sparse")) {
      target.sparseCount = sparse->Index("count");
      if (target.sparseCount == 0 || target.sparseCount > target.count)
        sparse->Fail("count " + std::to_string(target.sparseCount) + " is not from 1 to the accessor's " +
                     std::to_string(target.count));
      const JsonValue indices = sparse->At("indices"), values = sparse->At("values");
      target.sparseIndices = {static_cast<std::size_t>(indices.Index("bufferView")), indices.OptionalIndex("byteOffset").value_or(0)};
      target.sparseValues = {static_cast<std::size_t>(values.Index("bufferView")), values.OptionalIndex("byteOffset").value_or(0)};
      target.sparseIndexType = static_cast<int>(indices.Index("componentType"));
      if (target.sparseIndexType != kUnsignedByte && target.sparseIndexType != kUnsignedShort &&
          target.sparseIndexType != kUnsignedInt)
        indices.Fail("componentType must be an unsigned byte, short or int");
      if (target.sparseIndices.view >= views_.size() || target.sparseValues.view >= views_.size())
        sparse->Fail("names a buffer view that does not exist");
    }
  }
}

const BinaryData::Accessor& BinaryData::AccessorAt(std::uint64_t id, const std::string& user) const {
  if (id >= accessors_.size())
    throw FormatError(user + ": names accessors[" + std::to_string(id) + "], which does not exist");
  return accessors_[id];
}

std::uint64_t BinaryData::ElementCount(std::uint64_t id, const std::string& user) const {
  return AccessorAt(id, user).count;
}

std::string_view BinaryData::DecodedMeshopt(std::size_t viewId) const {
  std::optional<std::string>& decoded = decodedViews_[viewId];
  if (decoded) return *decoded;
  const ViewRecord& view = views_[viewId];
  const Meshopt& m = *view.meshopt;
  const std::string place = view.place + ".extensions.EXT_meshopt_compression";
  const std::string_view source = buffers_[m.buffer].bytes.substr(m.offset, m.length);
  if (m.count * m.stride > kMaxMeshoptExpansion * m.length + 4096)
    throw FormatError(place + ": " + std::to_string(m.count) + " elements cannot come from " + BytesText(m.length));
  std::string out(m.count * m.stride, '\0');
  const auto* input = reinterpret_cast<const unsigned char*>(source.data());
  int status = 0;
  // The decoders assert on sizes they do not take; each is checked first.
  if (m.mode == "ATTRIBUTES") {
    if (m.stride == 0 || m.stride > 256 || m.stride % 4 != 0)
      throw FormatError(place + ": byteStride " + std::to_string(m.stride) + " is not a multiple of 4 up to 256");
    status = meshopt_decodeVertexBuffer(out.data(), m.count, m.stride, input, source.size());
  } else if (m.mode == "TRIANGLES" || m.mode == "INDICES") {
    if (m.stride != 2 && m.stride != 4)
      throw FormatError(place + ": byteStride " + std::to_string(m.stride) + " must be 2 or 4 for indices");
    if (m.mode == "TRIANGLES") {
      if (m.count % 3 != 0) throw FormatError(place + ": " + std::to_string(m.count) + " indices are not whole triangles");
      status = meshopt_decodeIndexBuffer(out.data(), m.count, m.stride, input, source.size());
    } else {
      status = meshopt_decodeIndexSequence(out.data(), m.count, m.stride, input, source.size());
    }
  } else {
    throw FormatError(place + ": mode '" + m.mode + "' is not ATTRIBUTES, TRIANGLES or INDICES");
  }
  if (status != 0) throw FormatError(place + ": the compressed data cannot be decoded (meshopt error " + std::to_string(status) + ")");
  if (m.filter != "NONE") {
    if (m.mode != "ATTRIBUTES") throw FormatError(place + ": filter '" + m.filter + "' applies to attributes only");
    if (m.filter == "OCTAHEDRAL" && (m.stride == 4 || m.stride == 8)) meshopt_decodeFilterOct(out.data(), m.count, m.stride);
    else if (m.filter == "QUATERNION" && m.stride == 8) meshopt_decodeFilterQuat(out.data(), m.count, m.stride);
    else if (m.filter == "EXPONENTIAL") meshopt_decodeFilterExp(out.data(), m.count, m.stride);
    else throw FormatError(place + ": filter '" + m.filter + "' does not take byteStride " + std::to_string(m.stride));
  }
  decoded = std::move(out);
  return *decoded;
}

std::string_view BinaryData::View(std::uint64_t id, const std::string& user) const {
  if (id >= views_.size()) throw FormatError(user + ": names bufferViews[" + std::to_string(id) + "], which does not exist");
  const ViewRecord& view = views_[id];
  if (view.meshopt) return DecodedMeshopt(id).substr(0, view.length);
  const Buffer& buffer = buffers_[view.buffer];
  if (!buffer.present)
    throw FormatError(view.place + ": lies in buffers[" + std::to_string(view.buffer) + "], a fallback buffer with no data");
  return buffer.bytes.substr(view.offset, view.length);
}

std::string_view BinaryData::ElementBytes(const Accessor& accessor, std::uint64_t& stride) const {
  const std::uint64_t size = ElementSize(accessor.componentType, accessor.components);
  const std::string_view bytes = View(*accessor.view, accessor.place);
  const std::uint64_t viewStride = views_[*accessor.view].meshopt ? views_[*accessor.view].meshopt->stride
                                                                  : views_[*accessor.view].stride;
  stride = viewStride != 0 ? viewStride : size;
  if (stride < size)
    throw FormatError(accessor.place + ": elements of " + BytesText(size) + " do not fit the view's byteStride " +
                      std::to_string(stride));
  std::uint64_t end = 0;
  if (!MulAdd(stride, accessor.count - 1, accessor.offset + size, end) || accessor.offset > bytes.size() ||
      end > bytes.size())
    throw FormatError(accessor.place + ": " + std::to_string(accessor.count) + " elements of " + BytesText(size) +
                      " from offset " + std::to_string(accessor.offset) + " pass the end of bufferViews[" +
                      std::to_string(*accessor.view) + "] (" + BytesText(bytes.size()) + ")");
  return bytes.substr(accessor.offset);
}

std::vector<float> BinaryData::Floats(std::uint64_t id, int components, const std::string& user) const {
  const Accessor& accessor = AccessorAt(id, user);
  if (accessor.components != components)
    throw FormatError(user + ": " + accessor.place + " has " + std::to_string(accessor.components) +
                      " components an element where " + std::to_string(components) + " are needed");
  std::vector<float> values(accessor.count * static_cast<std::uint64_t>(components), 0.0f);
  if (accessor.view) {
    std::uint64_t stride = 0;
    const std::string_view bytes = ElementBytes(accessor, stride);
    Convert(accessor.componentType, bytes.data(), stride, accessor.count, components, accessor.normalized, values.data());
  }
  if (accessor.sparseCount > 0) {
    const std::uint64_t indexSize = static_cast<std::uint64_t>(ComponentSize(accessor.sparseIndexType));
    const std::uint64_t valueSize = ElementSize(accessor.componentType, components);
    const std::string_view indices = View(accessor.sparseIndices.view, accessor.place + ".sparse.indices");
    const std::string_view replaced = View(accessor.sparseValues.view, accessor.place + ".sparse.values");
    std::uint64_t indicesEnd = 0, valuesEnd = 0;
    if (!MulAdd(indexSize, accessor.sparseCount, accessor.sparseIndices.offset, indicesEnd) || indicesEnd > indices.size() ||
        !MulAdd(valueSize, accessor.sparseCount, accessor.sparseValues.offset, valuesEnd) || valuesEnd > replaced.size())
      throw FormatError(accessor.place + ".sparse: " + std::to_string(accessor.sparseCount) +
                        " replacements pass the end of their buffer views");
    std::vector<float> update(accessor.sparseCount * static_cast<std::uint64_t>(components));
    Convert(accessor.componentType, replaced.data() + accessor.sparseValues.offset, valueSize, accessor.sparseCount,
            components, accessor.normalized, update.data());
    for (std::uint64_t k = 0; k < accessor.sparseCount; ++k) {
      const std::uint32_t at = IndexAt(accessor.sparseIndexType, indices.data() + accessor.sparseIndices.offset + k * indexSize);
      if (at >= accessor.count)
        throw FormatError(accessor.place + ".sparse.indices[" + std::to_string(k) + "]: " + std::to_string(at) +
                          " is past the accessor's " + std::to_string(accessor.count) + " elements");
      std::copy_n(update.begin() + static_cast<std::ptrdiff_t>(k * components), components,
                  values.begin() + static_cast<std::ptrdiff_t>(at * static_cast<std::uint64_t>(components)));
    }
  }
  return values;
}

void FloatElements::Read(std::uint64_t index, float* out) const {
  if (!first_) {
    std::copy_n(decoded_.begin() + static_cast<std::ptrdiff_t>(index * static_cast<std::uint64_t>(components_)),
                components_, out);
    return;
  }
  Convert(componentType_, first_ + index * stride_, stride_, 1, components_, normalized_, out);
}

FloatElements FloatElements::Of(std::vector<float> values, int components) {
  FloatElements elements;
  elements.components_ = components;
  elements.count_ = components > 0 ? values.size() / static_cast<std::size_t>(components) : 0;
  elements.decoded_ = std::move(values);
  return elements;
}

FloatElements BinaryData::Elements(std::uint64_t id, int components, const std::string& user) const {
  const Accessor& accessor = AccessorAt(id, user);
  FloatElements elements;
  elements.count_ = accessor.count;
  elements.components_ = components;
  if (!accessor.view || accessor.sparseCount > 0 || accessor.components != components) {
    elements.decoded_ = Floats(id, components, user);
    return elements;
  }
  std::uint64_t stride = 0;
  elements.first_ = ElementBytes(accessor, stride).data();
  elements.stride_ = stride;
  elements.componentType_ = accessor.componentType;
  elements.normalized_ = accessor.normalized;
  return elements;
}

std::vector<std::uint32_t> BinaryData::Indices(std::uint64_t id, const std::string& user) const {
  const Accessor& accessor = AccessorAt(id, user);
  if (accessor.components != 1 ||
      (accessor.componentType != kUnsignedByte && accessor.componentType != kUnsignedShort &&
       accessor.componentType != kUnsignedInt))
    throw FormatError(user + ": " + accessor.place + " must be a scalar of unsigned bytes, shorts or ints to hold indices");
  if (!accessor.view || accessor.sparseCount > 0) {
    // Rare for indices, and defined the same way: go through the float path
    // only where every value is exact (bytes and shorts).
    std::vector<float> values = Floats(id, 1, user);
    if (accessor.componentType == kUnsignedInt && accessor.sparseCount > 0)
      throw FormatError(accessor.place + ": sparse indices of 32 bits are not read");
    return std::vector<std::uint32_t>(values.begin(), values.end());
  }
  std::uint64_t stride = 0;
  const std::string_view bytes = ElementBytes(accessor, stride);
  std::vector<std::uint32_t> indices(accessor.count);
  for (std::uint64_t i = 0; i < accessor.count; ++i) indices[i] = IndexAt(accessor.componentType, bytes.data() + i * stride);
  return indices;
}

}  // namespace Importing::Import::Gltf
