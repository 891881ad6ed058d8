#pragma once

#include "effects/EffectMath.h"

#include <juce_audio_basics/juce_audio_basics.h>

/** A biquad in transposed direct form II, designed with juce::IIRCoefficients and processed sample by
    sample, its output snapped to zero near zero: the raw processing of juce::IIRFilter, inlined and
    without the filter's lock, for the spring reverb's per-sample filters. */
struct RawBiquad
{
    float b0 = 1.0f, b1 = 0.0f, b2 = 0.0f, a1 = 0.0f, a2 = 0.0f; // normalised by a0
    float v1 = 0.0f, v2 = 0.0f;

    void setCoefficients (const juce::IIRCoefficients& c) noexcept
    {
        b0 = c.coefficients[0];
        b1 = c.coefficients[1];
        b2 = c.coefficients[2];
        a1 = c.coefficients[3];
        a2 = c.coefficients[4];
    }

    void reset() noexcept { v1 = v2 = 0.0f; }

    float process (float in) noexcept
    {
        const float out = EffectMath::snapToZero (b0 * in + v1);
        v1 = b1 * in - a1 * out + v2;
        v2 = b2 * in - a2 * out;
        return out;
    }
};
