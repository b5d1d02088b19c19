#pragma once

// The bytes a glTF document refers to: its buffers (the GLB body, `data:`
// URIs, files beside the document, each read once), its buffer views
// (EXT_meshopt_compression views decoded once, when first asked for), and
// its accessors decoded as the format defines them. Every offset, stride,
// count and length is checked against the bytes that hold it before
// anything is read or allocated.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "scene/import/gltf/json_value.h"

namespace Importing::Import::Gltf {

// Reads a file that the document names by a relative reference; returns
// nullopt when there is no such file (the caller reports it missing).
using FileReader = std::function<std::optional<std::string>(const std::string& relativePath)>;

// The elements of one accessor as floats, read one at a time where they lie
// (or from a decoded copy, for sparse accessors and those without a view).
class FloatElements {
 public:
  // Elements already decoded (Draco's), `components` floats each.
  static FloatElements Of(std::vector<float> values, int components);

  std::uint64_t Count() const { return count_; }
  void Read(std::uint64_t index, float* out) const;

 private:
  friend class BinaryData;
  const char* first_ = nullptr;
  std::uint64_t stride_ = 0, count_ = 0;
  int componentType_ = 0, components_ = 0;
  bool normalized_ = false;
  std::vector<float> decoded_;
};

class BinaryData {
 public:
  // `body`: the GLB binary chunk, when the document came in a GLB that has one.
  BinaryData(const JsonValue& document, std::optional<std::string_view> body, const FileReader& readFile);

  std::size_t AccessorCount() const { return accessors_.size(); }
  // The number of elements of accessor `id` (an error for a bad ID; `user`
  // names the referring place).
  std::uint64_t ElementCount(std::uint64_t id, const std::string& user) const;
  // Accessor `id` as floats, `components` per element (it must have that
  // many), integers converted as the format defines (normalized or not).
  std::vector<float> Floats(std::uint64_t id, int components, const std::string& user) const;
  // The same, checked alike, without a copy where the accessor is plain.
  FloatElements Elements(std::uint64_t id, int components, const std::string& user) const;
  // Accessor `id` as indices: a scalar of unsigned bytes, shorts or ints.
  std::vector<std::uint32_t> Indices(std::uint64_t id, const std::string& user) const;
  // The bytes of buffer view `id` (decoded, for a compressed one).
  std::string_view View(std::uint64_t id, const std::string& user) const;

 private:
  struct Buffer {
    std::string storage;             // the bytes, when they were read or decoded here
    std::string_view bytes;          // what the buffer holds (may point into the GLB)
    std::uint64_t byteLength = 0;
    bool present = true;             // false: a meshopt fallback buffer without data
  };
  struct Meshopt {
    std::size_t buffer = 0;
    std::uint64_t offset = 0, length = 0, stride = 0, count = 0;
    std::string mode, filter;
  };
  struct ViewRecord {
    std::size_t buffer = 0;
    std::uint64_t offset = 0, length = 0, stride = 0;
    std::optional<Meshopt> meshopt;
    std::string place;
  };
  struct SparsePart {
    std::size_t view = 0;
    std::uint64_t offset = 0;
  };
  struct Accessor {
    std::optional<std::size_t> view;
    std::uint64_t offset = 0, count = 0;
    int componentType = 0, components = 0;
    bool normalized = false;
    std::uint64_t sparseCount = 0;
    SparsePart sparseIndices, sparseValues;
    int sparseIndexType = 0;
    std::string place;
  };

  void ReadBuffers(const JsonValue& document, std::optional<std::string_view> body, const FileReader& readFile);
  void ReadViews(const JsonValue& document);
  void ReadAccessors(const JsonValue& document);
  const Accessor& AccessorAt(std::uint64_t id, const std::string& user) const;
  std::string_view DecodedMeshopt(std::size_t viewId) const;
  // The element bytes of `accessor`: where the first starts and the stride.
  std::string_view ElementBytes(const Accessor& accessor, std::uint64_t& stride) const;

  std::vector<Buffer> buffers_;
  std::vector<ViewRecord> views_;
  std::vector<Accessor> accessors_;
  mutable std::vector<std::optional<std::string>> decodedViews_;
};

// The bytes of one element of `componentType` x `components` (columns of
// matrices aligned to 4 bytes, as the format lays them out).
std::uint64_t ElementSize(int componentType, int components);

}  // namespace Importing::Import::Gltf
