#pragma once

#include <cstddef>

#include "host/export.h"

// A large array is about to be written whole: asking for huge pages over its
// aligned middle, and for all its pages at once, spares the kernel one page
// fault per 4 KiB. Does nothing where the system has no such advice.
ORVHOST_API void AdviseHugePages(const void* data, std::size_t bytes);
