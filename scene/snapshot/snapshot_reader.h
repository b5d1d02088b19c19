#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "scene/export.h"
#include "scene/scene_container.h"
#include "scene/scene_parts.h"
#include "scene/snapshot/snapshot.h"

namespace Importing {

// A snapshot read in parts. Open reads and checks the header, the index, the
// provenance and the counts; Load then reads and checks only the sections,
// and the geometries, that the container does not hold yet. Nothing that
// failed its check reaches the container.
class SCENE_API SnapshotReader {
 public:
  SnapshotReader();
  ~SnapshotReader();
  SnapshotReader(const SnapshotReader&) = delete;
  SnapshotReader& operator=(const SnapshotReader&) = delete;

  // The regular file `path`, kept open: what is read later is this file,
  // even once another has been renamed over its name.
  bool OpenFile(const std::string& path, std::string* error);
  // `size` bytes at `data`, which must outlive the reader.
  bool OpenBytes(const std::uint8_t* data, std::size_t size, std::string* error);

  const SnapshotProvenance& Provenance() const;

  // Makes `container` hold, complete, the `parts` and the vertices and
  // indices of `geometry` (an ID, kNoGeometry or kEveryGeometry; an ID
  // outside the geometries loads none). `container` must be filled by this
  // reader alone. On failure says why; the container keeps what earlier
  // calls gave it.
  bool Load(ScenePartSet parts, std::int64_t geometry, SceneContainer& container, std::string* error);

  // Bytes read so far: header, index and payloads.
  std::uint64_t BytesRead() const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace Importing
