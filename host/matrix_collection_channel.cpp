#include "host/matrix_collection_channel.h"

void MatrixCollectionChannel::SetKeyCollection(const AnimationKeyRecord* keys, int count, int) {
  ++calls_;
  if (keys == nullptr || count <= 0) {
    keys_.clear();
    return;
  }
  keys_.assign(keys, keys + count);
}
