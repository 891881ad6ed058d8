#include "platform/AvailableMemory.h"

#include <atomic>
#include <cstdio>

namespace Platform
{
namespace
{
    std::atomic<juce::int64>& memoryOverride()
    {
        static std::atomic<juce::int64> bytes { -1 };
        return bytes;
    }

    /** MemAvailable in bytes, or -1 when the kernel does not report it. */
    juce::int64 readMemAvailable()
    {
        juce::int64 result = -1;

       #if JUCE_LINUX
        // Read with stdio: files in /proc report a size of 0, which JUCE's streams believe.
        if (auto* meminfo = std::fopen ("/proc/meminfo", "r"))
        {
            char line[256];

            while (std::fgets (line, sizeof (line), meminfo) != nullptr)
            {
                long long kilobytes = 0;

                if (std::sscanf (line, "MemAvailable: %lld kB", &kilobytes) == 1)
                {
                    result = (juce::int64)kilobytes * 1024;
                    break;
                }
            }

            std::fclose (meminfo);
        }
       #endif

        return result;
    }
} // namespace

juce::int64 getAvailableMemoryBytes()
{
    if (const auto fixed = memoryOverride().load(); fixed >= 0)
        return fixed;

    if (const auto available = readMemAvailable(); available > 0)
        return available;

    return juce::jmax (0, juce::SystemStats::getMemorySizeInMegabytes()) * (juce::int64)1024 * 1024;
}

ScopedAvailableMemoryOverride::ScopedAvailableMemoryOverride (juce::int64 bytes)
    : previous (memoryOverride().exchange (juce::jmax ((juce::int64)0, bytes)))
{
}

ScopedAvailableMemoryOverride::~ScopedAvailableMemoryOverride()
{
    memoryOverride().store (previous);
}
} // namespace Platform
