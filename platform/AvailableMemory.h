#pragma once

#include <juce_core/juce_core.h>

namespace Platform
{
/** Bytes of memory the program could still take without pushing other memory out to disk:
    MemAvailable of /proc/meminfo on Linux (free memory plus caches the system gives back),
    the physical size where that cannot be read, 0 when nothing is known. */
juce::int64 getAvailableMemoryBytes();

/** Makes getAvailableMemoryBytes report a fixed figure while it lives, so a test or a fuzz run
    can check the refusal of large reels without owning a machine of that size. Overrides nest;
    the innermost wins. */
class ScopedAvailableMemoryOverride
{
public:
    explicit ScopedAvailableMemoryOverride (juce::int64 bytes);
    ~ScopedAvailableMemoryOverride();

private:
    juce::int64 previous;

    JUCE_DECLARE_NON_COPYABLE (ScopedAvailableMemoryOverride)
};
} // namespace Platform
