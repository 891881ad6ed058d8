#pragma once

#include <cmath>

/** Small numeric guards shared by the effect engines. Settings come from reel files that nobody
    range-checks, and audio can come from plug-ins that misbehave, so the engines screen both. */
namespace EffectMath
{
/** The value when it is finite, otherwise the fallback. */
inline float finiteOr (float value, float fallback) noexcept
{
    return std::isfinite (value) ? value : fallback;
}

inline double finiteOr (double value, double fallback) noexcept
{
    return std::isfinite (value) ? value : fallback;
}

/** The value held within lo..hi (infinities land on the nearer end); NaN gives the fallback. */
inline float clampOr (float value, float lo, float hi, float nanFallback) noexcept
{
    if (std::isnan (value))
        return nanFallback;
    return value < lo ? lo : (value > hi ? hi : value);
}

/** A non-finite input sample becomes silence, so it cannot poison filter or delay-line state. */
inline float sanitiseSample (float x) noexcept
{
    return std::isfinite (x) ? x : 0.0f;
}

/** 10^(dB / 20), and exactly 0 at -100 dB or below (or for NaN). */
inline float gainFromDecibels (float dB) noexcept
{
    return dB > -100.0f ? std::pow (10.0f, dB * 0.05f) : 0.0f;
}

/** 20 log10 (level), not below -100 dB; -100 for a level that is not positive or not a number, and at
    most +100 dB so an infinite sample cannot drive a detector to infinity. */
inline float levelToDecibels (float level) noexcept
{
    if (! (level > 0.0f))
        return -100.0f;

    const float dB = 20.0f * std::log10 (level);
    return dB < -100.0f ? -100.0f : (dB > 100.0f ? 100.0f : dB);
}

/** tanh to within 2e-6 of the library's (relative; 2e-7 absolute) at under half its cost: the
    saturation in the echo's and flanger's feedback, the distortion and the spring's input run it
    every sample. A short series near zero keeps small signals exact. */
inline float fastTanh (float x) noexcept
{
    if (std::abs (x) < 0.0625f)
    {
        const float x2 = x * x;
        return x * (1.0f + x2 * (-1.0f / 3.0f + x2 * (2.0f / 15.0f + x2 * (-17.0f / 315.0f))));
    }

    return 1.0f - 2.0f / (std::exp (2.0f * x) + 1.0f);
}

/** Values within 1e-8 of zero become exactly zero (NaN too), keeping recursive filters out of denormals. */
inline float snapToZero (float x) noexcept
{
    return (x < -1.0e-8f || x > 1.0e-8f) ? x : 0.0f;
}
} // namespace EffectMath
