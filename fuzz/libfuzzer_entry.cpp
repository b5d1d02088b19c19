// The libFuzzer entry point of one fuzzer; SCI_FUZZ_TARGET names the target
// of fuzz_targets.h that it drives.
#include "fuzz/fuzz_targets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  return sci_fuzz::SCI_FUZZ_TARGET(data, size);
}
