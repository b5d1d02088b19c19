#include "host/huge_pages.h"

#include <cstdint>

#ifndef _WIN32
#include <sys/mman.h>
#endif

void AdviseHugePages(const void* data, std::size_t bytes) {
#ifdef MADV_HUGEPAGE
  constexpr std::uintptr_t kHuge = std::uintptr_t{2} << 20;
  const auto start = reinterpret_cast<std::uintptr_t>(data);
  const std::uintptr_t begin = (start + kHuge - 1) & ~(kHuge - 1), end = (start + bytes) & ~(kHuge - 1);
  if (end > begin) ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
  // The pages are also made at once, as the caller is about to write them
  // all: one call instead of a fault per page, which costs most in a virtual
  // machine. Kernels before 5.14 refuse it, and the pages come by faults.
#ifndef MADV_POPULATE_WRITE
#define MADV_POPULATE_WRITE 23
#endif
  const std::uintptr_t page = 4096, first = (start + page - 1) & ~(page - 1), last = (start + bytes) & ~(page - 1);
  if (last > first) ::madvise(reinterpret_cast<void*>(first), last - first, MADV_POPULATE_WRITE);
#else
  (void)data;
  (void)bytes;
#endif
}
