#include <algorithm>
#include <cstring>

#include "channel/scene_container_info.h"

namespace Importing {

namespace {

// Copies `text` into a fixed field, always zero-terminated; bytes after the
// terminator are left as they were.
template <std::size_t N>
void CopyBounded(char (&field)[N], const char* text) {
  const std::size_t length = std::min(std::strlen(text), N - 1);
  std::memcpy(field, text, length);
  field[length] = '\0';
}

void Declare(Orv_Channel& channel, ChildCreation& record, int index, const ChildSpec& child) {
  const ChildKindInfo& kind = KindInfo(child.kind);
  record.type.typeId = kind.typeId;
  CopyBounded(record.type.name, kind.name);
  record.childIndex = index;
  record.createFlagB = false;
  CopyBounded(record.label, child.label);
  channel.SetChildCreateType(record, index);
}

}  // namespace

void SceneContainerInfo::CreateChannelChildren() {
  SetChildCreationCount(0);
  ChildCreation record;
  SetChildCreationCount(1);
  Declare(*this, record, 0, kSceneContainerChild);

  const InfoTypeInfo* info = FindInfoType(infoType);
  if (info == nullptr) return;
  for (int index = 1; index <= FurtherChildCount(*info); ++index)
    Declare(*this, record, index, info->children[index - 1]);
}

}  // namespace Importing
