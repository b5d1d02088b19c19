#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/export.h"
#include "host/guid.h"

class Orv_Channel;

// The on-disk project: a header ("ORVPRJ" magic, format version, channel
// count), then per channel its type identifier, the length of its settings
// and the settings as tagged entries (see OrvFileSaver).
namespace project_file {

inline constexpr char kMagic[8] = {'O', 'R', 'V', 'P', 'R', 'J', '\0', '\0'};
inline constexpr unsigned kVersion = 1;

struct ChannelRecord {
  Guid typeId;
  std::string settings;  // tagged entries, as OrvFileSaver wrote them
};

// Encodes records into the bytes of a project file.
ORVHOST_API std::string Encode(const std::vector<ChannelRecord>& records);
// Decodes a project file; false with a message naming the offset and the
// reason for a truncated, corrupt or foreign file.
ORVHOST_API bool Decode(const std::string& bytes, std::vector<ChannelRecord>* records, std::string* error);

// Writes `bytes` to `path` through a temporary file in the same directory,
// so that a failed write leaves any earlier file whole.
ORVHOST_API bool WriteFileAtomically(const std::string& path, const std::string& bytes, std::string* error);
// Reads a whole project file; false with a message naming the path and the
// reason for anything but a regular file of at most kMaxFileSize bytes.
inline constexpr std::uintmax_t kMaxFileSize = 64u << 20;
ORVHOST_API bool ReadWholeFile(const std::string& path, std::string* bytes, std::string* error);

}  // namespace project_file
