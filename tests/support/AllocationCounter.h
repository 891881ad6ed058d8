#pragma once

// Replaces the C allocation functions for the test executable that includes this header (in
// exactly one of its sources), forwarding to glibc's own, so that everything reaching the heap
// is counted while countingAllocations is set: operator new, std::vector, juce::HeapBlock and
// juce::String alike. DRAVIN8_COUNT_ALLOCATIONS tells whether counting is possible here.

#include <cstdlib>

#if defined(__GLIBC__) && ! defined(__SANITIZE_ADDRESS__) && ! defined(__SANITIZE_THREAD__)
#define DRAVIN8_COUNT_ALLOCATIONS 1

namespace
{
thread_local int allocationCount = 0;
thread_local bool countingAllocations = false;
} // namespace

extern "C"
{
    void* __libc_malloc (size_t);
    void* __libc_calloc (size_t, size_t);
    void* __libc_realloc (void*, size_t);
    void __libc_free (void*);

    void* malloc (size_t size) noexcept
    {
        if (countingAllocations)
            ++allocationCount;
        return __libc_malloc (size);
    }

    void* calloc (size_t count, size_t size) noexcept
    {
        if (countingAllocations)
            ++allocationCount;
        return __libc_calloc (count, size);
    }

    void* realloc (void* pointer, size_t size) noexcept
    {
        if (countingAllocations)
            ++allocationCount;
        return __libc_realloc (pointer, size);
    }

    void free (void* pointer) noexcept
    {
        __libc_free (pointer);
    }
}
#endif
