#pragma once
// Bytes the process holds from the heap now: what its allocations really keep, whatever the
// containers say about their own sizes.
#include <cstddef>
#include <cstdint>

#if defined(__SANITIZE_ADDRESS__)
#define ORVEX_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ORVEX_ASAN 1
#endif
#endif

#ifdef ORVEX_ASAN
// The address sanitizer's allocator statistics (its malloc replaces the C library's).
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#else
#include <malloc.h>
#endif

inline int64_t HeapInUse()
{
#ifdef ORVEX_ASAN
    return static_cast<int64_t>(__sanitizer_get_current_allocated_bytes());
#else
    const struct mallinfo2 info = mallinfo2();
    return static_cast<int64_t>(info.uordblks + info.hblkhd);
#endif
}
