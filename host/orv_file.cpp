#include "host/orv_file.h"

#include <cstring>

namespace {

void AppendU64(std::string& out, std::uint64_t value) {
  for (int i = 0; i < 8; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

std::uint64_t ReadU64(const std::string& bytes, std::size_t at) {
  std::uint64_t value = 0;
  for (int i = 0; i < 8; ++i) value |= std::uint64_t{static_cast<unsigned char>(bytes[at + i])} << (8 * i);
  return value;
}

}  // namespace

int OrvFileSaver::SaveTag(const char* tag) {
  const std::size_t length = tag ? std::strlen(tag) : 0;
  if (pending_ != 0 || sizeDue_ || length == 0 || length > 255) failed_ = true;
  if (failed_) return -1;
  bytes_.push_back(static_cast<char>(length));
  bytes_.append(tag, length);
  sizeDue_ = true;
  return 0;
}

int OrvFileSaver::SaveBlockSize(std::uint64_t size) {
  if (!sizeDue_) failed_ = true;
  if (failed_) return -1;
  AppendU64(bytes_, size);
  pending_ = size;
  sizeDue_ = false;
  return 0;
}

int OrvFileSaver::SaveDataToFile(const void* data, std::uint64_t size) {
  if (sizeDue_ || size > pending_ || (data == nullptr && size != 0)) failed_ = true;
  if (failed_) return -1;
  bytes_.append(static_cast<const char*>(data), static_cast<std::size_t>(size));
  pending_ -= size;
  return 0;
}

bool OrvFileSaver::Complete() const { return !failed_ && pending_ == 0 && !sizeDue_; }

bool OrvFileLoader::Parse(std::string bytes, std::string* error) {
  std::vector<Entry> entries;
  std::size_t at = 0;
  while (at < bytes.size()) {
    const std::size_t length = static_cast<unsigned char>(bytes[at]);
    if (length == 0 || bytes.size() - at - 1 < length + 8) {
      if (error) *error = "settings entry at offset " + std::to_string(at) + " is truncated or has an empty tag";
      return false;
    }
    std::string tag = bytes.substr(at + 1, length);
    const std::uint64_t size = ReadU64(bytes, at + 1 + length);
    const std::size_t dataAt = at + 1 + length + 8;
    if (size > bytes.size() - dataAt) {
      if (error)
        *error = "block of tag \"" + tag + "\" at offset " + std::to_string(dataAt) + " claims " +
                 std::to_string(size) + " bytes, only " + std::to_string(bytes.size() - dataAt) + " are left";
      return false;
    }
    entries.push_back(Entry{std::move(tag), dataAt, static_cast<std::size_t>(size)});
    at = dataAt + static_cast<std::size_t>(size);
  }
  bytes_ = std::move(bytes);
  entries_ = std::move(entries);
  current_ = -1;
  return true;
}

bool OrvFileLoader::GotoTag(const char* tag, int start) {
  if (tag == nullptr || start < 0) return false;
  for (std::size_t i = static_cast<std::size_t>(start); i < entries_.size(); ++i) {
    if (entries_[i].tag == tag) {
      current_ = static_cast<int>(i);
      return true;
    }
  }
  return false;
}

bool OrvFileLoader::CopyTagDataToPointer(void* destination, std::uint64_t expectedSize) const {
  if (current_ < 0 || destination == nullptr) return false;
  const Entry& entry = entries_[static_cast<std::size_t>(current_)];
  if (entry.size != expectedSize) return false;
  std::memcpy(destination, bytes_.data() + entry.offset, entry.size);
  return true;
}

std::string OrvFileLoader::CurrentBlock() const {
  if (current_ < 0) return {};
  const Entry& entry = entries_[static_cast<std::size_t>(current_)];
  return bytes_.substr(entry.offset, entry.size);
}
