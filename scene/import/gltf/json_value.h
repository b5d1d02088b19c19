#pragma once

// Checked reading of a glTF document's JSON. Every value knows its place in
// the document ("meshes[2].primitives[0].indices"), so that whatever is
// missing, mistyped or out of range is reported where it is.

#include <simdjson.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace Importing::Import::Gltf {

// What a malformed or unsupported file raises inside the reader; the
// reader's entry point turns it into the import's error message.
class FormatError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class JsonValue {
 public:
  JsonValue(simdjson::dom::element element, std::string place) : element_(element), place_(std::move(place)) {}

  const std::string& Place() const { return place_; }
  [[noreturn]] void Fail(const std::string& what) const;

  simdjson::dom::element Element() const { return element_; }
  bool IsObject() const { return element_.is_object(); }
  bool IsArray() const { return element_.is_array(); }

  // A member of this object; absent when the object has no such member.
  std::optional<JsonValue> Find(std::string_view key) const;
  // A member this object must have.
  JsonValue At(std::string_view key) const;
  // The items of this array (an error when it is not one).
  std::size_t Size() const;
  JsonValue Item(std::size_t index) const;  // linear in `index`: use Items() to walk
  std::vector<JsonValue> Items() const;
  // Calls `visit(name, value)` for each member of this object.
  template <typename Visit>
  void ForEachMember(Visit visit) const;

  std::uint64_t AsIndex() const;  // a whole number >= 0
  double AsNumber() const;
  std::string_view AsString() const;
  bool AsBool() const;

  // Shorthands for optional members with a default.
  std::optional<std::uint64_t> OptionalIndex(std::string_view key) const;
  std::uint64_t Index(std::string_view key) const;
  double Number(std::string_view key, double fallback) const;
  std::string String(std::string_view key, std::string fallback = {}) const;
  bool Bool(std::string_view key, bool fallback) const;
  // A member holding exactly N numbers, or `fallback` when absent.
  template <std::size_t N>
  std::array<double, N> Numbers(std::string_view key, const std::array<double, N>& fallback) const;

 private:
  simdjson::dom::object Object() const;
  simdjson::dom::element element_;
  std::string place_;
};

template <typename Visit>
void JsonValue::ForEachMember(Visit visit) const {
  for (const auto member : Object()) visit(member.key, JsonValue(member.value, place_ + "." + std::string(member.key)));
}

template <std::size_t N>
std::array<double, N> JsonValue::Numbers(std::string_view key, const std::array<double, N>& fallback) const {
  const auto value = Find(key);
  if (!value) return fallback;
  if (value->Size() != N) value->Fail("must hold " + std::to_string(N) + " numbers");
  std::array<double, N> numbers{};
  for (std::size_t i = 0; i < N; ++i) numbers[i] = value->Item(i).AsNumber();
  return numbers;
}

}  // namespace Importing::Import::Gltf
