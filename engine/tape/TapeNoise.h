#pragma once

#include <juce_core/juce_core.h>

#include <limits>

/** The noise source of one head: the same generator and the same float mapping as
    juce::Random, inlined because it runs several times per sample on every track. Seeded
    randomly when constructed. */
class TapeNoise
{
public:
    TapeNoise() : seed (juce::Random().nextInt64()) {}
    explicit TapeNoise (juce::int64 initialSeed) noexcept : seed (initialSeed) {}

    /** The next value in [0, 1). */
    float nextFloat() noexcept
    {
        seed = (juce::int64) ((((juce::uint64)seed) * 0x5deece66dLL + 11) & 0xffffffffffffLL);
        const auto result = (float)(juce::uint32) (int)(seed >> 16) * (1.0f / 4294967296.0f);
        return result == 1.0f ? 1.0f - std::numeric_limits<float>::epsilon() : result;
    }

    juce::int64 getSeed() const noexcept { return seed; }

private:
    juce::int64 seed;
};
