#pragma once

#include <cstddef>

#include "host/export.h"

// A large array is first written here: asking for huge pages over its
// aligned middle spares the kernel one page fault per 4 KiB, where it offers
// them. Does nothing where the system has no such advice.
ORVHOST_API void AdviseHugePages(const void* data, std::size_t bytes);
