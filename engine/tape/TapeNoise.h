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
        const auto next = step ((juce::uint64)seed);
        seed = (juce::int64)next;
        return toFloat (next);
    }

    /** The next numValues values, exactly as that many calls of nextFloat give them. */
    void fill (float* values, int numValues) noexcept
    {
        auto state = (juce::uint64)seed;
        int i = 0;

        // Four interleaved generators, each jumping four steps at once, so that the multiplies
        // do not wait on each other (the arithmetic is modular: the jumps land on exactly the
        // states the single steps reach).
        if (numValues >= 8)
        {
            auto s0 = step (state);
            auto s1 = step (s0);
            auto s2 = step (s1);
            auto s3 = step (s2);

            for (; i + 4 <= numValues; i += 4)
            {
                values[i] = toFloat (s0);
                values[i + 1] = toFloat (s1);
                values[i + 2] = toFloat (s2);
                values[i + 3] = toFloat (s3);
                state = s3;
                s0 = jump (s0);
                s1 = jump (s1);
                s2 = jump (s2);
                s3 = jump (s3);
            }
        }

        for (; i < numValues; ++i)
        {
            state = step (state);
            values[i] = toFloat (state);
        }

        seed = (juce::int64)state;
    }

    juce::int64 getSeed() const noexcept { return seed; }

private:
    static constexpr juce::uint64 multiplier = 0x5deece66dULL, increment = 11, mask = 0xffffffffffffULL;
    static constexpr juce::uint64 multiplier4 = multiplier * multiplier * multiplier * multiplier;
    static constexpr juce::uint64 increment4 =
        increment * (multiplier * multiplier * multiplier + multiplier * multiplier + multiplier + 1);

    static juce::uint64 step (juce::uint64 state) noexcept { return (state * multiplier + increment) & mask; }
    static juce::uint64 jump (juce::uint64 state) noexcept { return (state * multiplier4 + increment4) & mask; }

    static float toFloat (juce::uint64 state) noexcept
    {
        const auto result = (float)(juce::uint32)(int)(state >> 16) * (1.0f / 4294967296.0f);
        return result == 1.0f ? 1.0f - std::numeric_limits<float>::epsilon() : result;
    }

    juce::int64 seed;
};
