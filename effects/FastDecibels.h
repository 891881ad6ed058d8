#pragma once

#include "effects/EffectMath.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

/** Level to decibels and decibels to gain over runs of samples, for the compressors' detector
    and gain stage. They give EffectMath::levelToDecibels and EffectMath::gainFromDecibels to
    within a few parts in 10^7 (relative gain), with the same limits, but are written as plain
    arithmetic on arrays, so that the compiler runs four samples at a time: the library's log10
    and pow, once per sample each, cost more than the rest of a compressor. */
namespace FastDecibels
{
/** 20 log10 (level) for each level: -100 for a level that is not positive or not a number,
    and held within -100..+100 dB. */
inline void levelsToDecibels (const float* levels, float* decibels, int numSamples) noexcept
{
    constexpr float decibelsPerOctave = 6.0205999132796239f; // 20 log10 (2)
    constexpr float twoOverLn2 = 2.8853900817779268f;        // 2 / ln (2)

    for (int i = 0; i < numSamples; ++i)
    {
        const auto level = levels[i];
        std::uint32_t bits;
        std::memcpy (&bits, &level, sizeof (bits));

        // level = m 2^e with m in [sqrt 1/2, sqrt 2), so that log (m) stays small.
        auto exponent = (std::int32_t)((bits >> 23) & 0xffu) - 127;
        std::uint32_t mantissaBits = (bits & 0x007fffffu) | 0x3f800000u;
        float m;
        std::memcpy (&m, &mantissaBits, sizeof (m));
        const auto high = (std::int32_t)(m > 1.41421356f);
        m *= 1.0f - 0.5f * (float)high;
        exponent += high;

        // log2 (m) = (2 / ln 2) atanh (s), s = (m - 1) / (m + 1), |s| < 0.172.
        const auto s = (m - 1.0f) / (m + 1.0f);
        const auto s2 = s * s;
        const auto series = s * (1.0f + s2 * (1.0f / 3.0f + s2 * (1.0f / 5.0f + s2 * (1.0f / 7.0f + s2 * (1.0f / 9.0f)))));
        const auto dB = std::min (100.0f, std::max (-100.0f, decibelsPerOctave * ((float)exponent + twoOverLn2 * series)));
        decibels[i] = level > 0.0f ? dB : -100.0f;
    }
}

/** 10^(dB / 20) for each value, exactly 0 at -100 dB or below (or for a value that is not a
    number). */
inline void decibelsToGains (const float* decibels, float* gains, int numSamples) noexcept
{
    constexpr float octavesPerDecibel = 0.16609640474436813f; // log2 (10) / 20
    constexpr float roundingShift = 12582912.0f;              // 1.5 x 2^23: adding it rounds to whole numbers
    constexpr float ln2 = 0.69314718055994531f;

    // Plain arithmetic only (a choice inside the loop would keep it from running four
    // samples at a time); the values it cannot take are put right after it.
    for (int i = 0; i < numSamples; ++i)
    {
        const auto x = decibels[i] * octavesPerDecibel;

        // 2^x = 2^n 2^f with n whole and |f| <= 1/2.
        const auto shifted = x + roundingShift;
        const auto n = shifted - roundingShift;
        const auto f = (x - n) * ln2;
        std::uint32_t shiftedBits;
        std::memcpy (&shiftedBits, &shifted, sizeof (shiftedBits));
        const auto whole = shiftedBits - 0x4b400000u; // n, in the low bits of the shifted value
        const auto fraction =
            1.0f +
            f * (1.0f + f * (0.5f + f * (1.0f / 6.0f + f * (1.0f / 24.0f + f * (1.0f / 120.0f + f * (1.0f / 720.0f +
                                                                                                   f * (1.0f / 5040.0f)))))));
        const auto scaleBits = (whole + 127u) << 23;
        float scale;
        std::memcpy (&scale, &scaleBits, sizeof (scale));
        gains[i] = fraction * scale;
    }

    // At -100 dB or below the gain is 0; above +100 dB (out of the compressors' reach) and
    // for a value that is not a number the library decides.
    for (int i = 0; i < numSamples; ++i)
        if (! (decibels[i] > -100.0f && decibels[i] <= 100.0f))
            gains[i] = EffectMath::gainFromDecibels (decibels[i]);
}
} // namespace FastDecibels
