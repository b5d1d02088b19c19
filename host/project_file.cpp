#include "host/project_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace project_file {

namespace {

void AppendU32(std::string& out, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}
void AppendU64(std::string& out, std::uint64_t value) {
  for (int i = 0; i < 8; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

// Reads fixed-size fields from the file's bytes, refusing to go past the end.
class Reader {
 public:
  explicit Reader(const std::string& bytes) : bytes_(bytes) {}
  std::size_t Offset() const { return at_; }
  std::size_t Left() const { return bytes_.size() - at_; }
  bool Bytes(void* out, std::size_t n) {
    if (Left() < n) return false;
    std::memcpy(out, bytes_.data() + at_, n);
    at_ += n;
    return true;
  }
  bool U32(std::uint32_t& value) { return Unsigned(value, 4); }
  bool U64(std::uint64_t& value) { return Unsigned(value, 8); }

 private:
  template <class T>
  bool Unsigned(T& value, int width) {
    if (Left() < static_cast<std::size_t>(width)) return false;
    value = 0;
    for (int i = 0; i < width; ++i)
      value |= static_cast<T>(static_cast<unsigned char>(bytes_[at_ + static_cast<std::size_t>(i)])) << (8 * i);
    at_ += static_cast<std::size_t>(width);
    return true;
  }
  const std::string& bytes_;
  std::size_t at_ = 0;
};

bool Fail(std::string* error, std::size_t offset, const std::string& why) {
  if (error) *error = "at offset " + std::to_string(offset) + ": " + why;
  return false;
}

}  // namespace

std::string Encode(const std::vector<ChannelRecord>& records) {
  std::string out(kMagic, sizeof kMagic);
  AppendU32(out, kVersion);
  AppendU32(out, static_cast<std::uint32_t>(records.size()));
  for (const auto& record : records) {
    out.append(reinterpret_cast<const char*>(record.typeId.bytes.data()), record.typeId.bytes.size());
    AppendU64(out, record.settings.size());
    out += record.settings;
  }
  return out;
}

bool Decode(const std::string& bytes, std::vector<ChannelRecord>* records, std::string* error) {
  Reader reader(bytes);
  char magic[sizeof kMagic];
  if (!reader.Bytes(magic, sizeof magic) || std::memcmp(magic, kMagic, sizeof magic) != 0)
    return Fail(error, 0, "not a project file (no \"ORVPRJ\" header)");
  std::uint32_t version = 0, count = 0;
  if (!reader.U32(version)) return Fail(error, reader.Offset(), "truncated header");
  if (version != kVersion)
    return Fail(error, 8, "unsupported format version " + std::to_string(version) + ", expected " +
                               std::to_string(kVersion));
  if (!reader.U32(count)) return Fail(error, reader.Offset(), "truncated header");
  std::vector<ChannelRecord> decoded;
  for (std::uint32_t i = 0; i < count; ++i) {
    ChannelRecord record;
    std::uint64_t size = 0;
    const std::size_t at = reader.Offset();
    if (!reader.Bytes(record.typeId.bytes.data(), record.typeId.bytes.size()) || !reader.U64(size))
      return Fail(error, at, "channel " + std::to_string(i) + " of " + std::to_string(count) + " is truncated");
    if (size > reader.Left())
      return Fail(error, reader.Offset(), "settings of channel " + std::to_string(i) + " claim " +
                                              std::to_string(size) + " bytes, only " +
                                              std::to_string(reader.Left()) + " are left");
    record.settings = bytes.substr(reader.Offset(), static_cast<std::size_t>(size));
    reader.Bytes(record.settings.data(), record.settings.size());
    decoded.push_back(std::move(record));
  }
  if (reader.Left() != 0)
    return Fail(error, reader.Offset(), std::to_string(reader.Left()) + " unexpected bytes after the last channel");
  *records = std::move(decoded);
  return true;
}

bool WriteFileAtomically(const std::string& path, const std::string& bytes, std::string* error) {
  const std::string temporary = path + ".tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (out) out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out || !out.flush()) {
      if (error) *error = "cannot write \"" + temporary + "\": " + std::strerror(errno);
      std::remove(temporary.c_str());
      return false;
    }
  }
  // std::filesystem::rename replaces an existing file on Windows too, where
  // std::rename fails.
  std::error_code renamed;
  std::filesystem::rename(temporary, path, renamed);
  if (renamed) {
    if (error) *error = "cannot replace \"" + path + "\": " + renamed.message();
    std::remove(temporary.c_str());
    return false;
  }
  return true;
}

bool ReadWholeFile(const std::string& path, std::string* bytes, std::string* error) {
  const auto fail = [&](const std::string& why) {
    if (error) *error = "cannot read \"" + path + "\": " + why;
    return false;
  };
  // Checked before opening: opening a FIFO would block, and a device such as
  // /dev/zero never ends.
  std::error_code ec;
  const auto status = std::filesystem::status(path, ec);
  if (ec) return fail(ec.message());
  if (!std::filesystem::is_regular_file(status)) return fail("not a regular file");
  const std::uintmax_t size = std::filesystem::file_size(path, ec);
  if (ec) return fail(ec.message());
  if (size > kMaxFileSize)
    return fail(std::to_string(size) + " bytes, more than the " + std::to_string(kMaxFileSize) + " a project may have");

  std::ifstream in(path, std::ios::binary);
  if (!in) return fail(std::strerror(errno));
  std::string data(static_cast<std::size_t>(size), '\0');
  in.read(data.data(), static_cast<std::streamsize>(size));
  // A file that changed size while being read is not read half-way.
  if (static_cast<std::uintmax_t>(in.gcount()) != size || in.peek() != std::char_traits<char>::eof())
    return fail("its size changed while it was read");
  *bytes = std::move(data);
  return true;
}

}  // namespace project_file
