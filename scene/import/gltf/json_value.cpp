#include "scene/import/gltf/json_value.h"

#include <cmath>

namespace Importing::Import::Gltf {

void JsonValue::Fail(const std::string& what) const { throw FormatError(place_ + ": " + what); }

simdjson::dom::object JsonValue::Object() const {
  simdjson::dom::object object;
  if (element_.get_object().get(object) != simdjson::SUCCESS) Fail("must be an object");
  return object;
}

std::optional<JsonValue> JsonValue::Find(std::string_view key) const {
  simdjson::dom::element member;
  if (Object().at_key(key).get(member) != simdjson::SUCCESS) return std::nullopt;
  return JsonValue(member, place_ + "." + std::string(key));
}

JsonValue JsonValue::At(std::string_view key) const {
  auto member = Find(key);
  if (!member) Fail("has no '" + std::string(key) + "'");
  return *member;
}

std::size_t JsonValue::Size() const {
  simdjson::dom::array array;
  if (element_.get_array().get(array) != simdjson::SUCCESS) Fail("must be an array");
  return array.size();
}

JsonValue JsonValue::Item(std::size_t index) const {
  simdjson::dom::array array;
  simdjson::dom::element item;
  if (element_.get_array().get(array) != simdjson::SUCCESS) Fail("must be an array");
  if (array.at(index).get(item) != simdjson::SUCCESS) Fail("has no item " + std::to_string(index));
  return JsonValue(item, place_ + "[" + std::to_string(index) + "]");
}

std::vector<JsonValue> JsonValue::Items() const {
  simdjson::dom::array array;
  if (element_.get_array().get(array) != simdjson::SUCCESS) Fail("must be an array");
  std::vector<JsonValue> items;
  items.reserve(array.size());
  for (const simdjson::dom::element item : array)
    items.emplace_back(item, place_ + "[" + std::to_string(items.size()) + "]");
  return items;
}

std::uint64_t JsonValue::AsIndex() const {
  std::uint64_t value = 0;
  if (element_.get_uint64().get(value) == simdjson::SUCCESS) return value;
  // Writers may spell a whole number as 3.0.
  double number = 0;
  if (element_.get_double().get(number) == simdjson::SUCCESS && number >= 0 && number < 9.0e15 &&
      std::floor(number) == number)
    return static_cast<std::uint64_t>(number);
  Fail("must be a whole number >= 0");
}

double JsonValue::AsNumber() const {
  double value = 0;
  if (element_.get_double().get(value) != simdjson::SUCCESS) Fail("must be a number");
  return value;
}

std::string_view JsonValue::AsString() const {
  std::string_view value;
  if (element_.get_string().get(value) != simdjson::SUCCESS) Fail("must be a string");
  return value;
}

bool JsonValue::AsBool() const {
  bool value = false;
  if (element_.get_bool().get(value) != simdjson::SUCCESS) Fail("must be true or false");
  return value;
}

std::optional<std::uint64_t> JsonValue::OptionalIndex(std::string_view key) const {
  const auto member = Find(key);
  if (!member) return std::nullopt;
  return member->AsIndex();
}

std::uint64_t JsonValue::Index(std::string_view key) const { return At(key).AsIndex(); }

double JsonValue::Number(std::string_view key, double fallback) const {
  const auto member = Find(key);
  return member ? member->AsNumber() : fallback;
}

std::string JsonValue::String(std::string_view key, std::string fallback) const {
  const auto member = Find(key);
  return member ? std::string(member->AsString()) : std::move(fallback);
}

bool JsonValue::Bool(std::string_view key, bool fallback) const {
  const auto member = Find(key);
  return member ? member->AsBool() : fallback;
}

}  // namespace Importing::Import::Gltf
