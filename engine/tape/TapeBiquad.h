#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

/** One second-order filter section of the tape model.

    It runs the same transposed direct form II as juce::IIRFilter::processSingleSampleRaw
    (output snapped to zero within +-1e-8), but it is a plain value: copying a track copies
    the coefficients and the running state, which juce::IIRFilter does not do. A section
    that was never designed has zero coefficients and outputs silence. */
class TapeBiquad
{
public:
    void setCoefficients (const juce::IIRCoefficients& c) noexcept
    {
        b0 = c.coefficients[0];
        b1 = c.coefficients[1];
        b2 = c.coefficients[2];
        a1 = c.coefficients[3];
        a2 = c.coefficients[4];

        // A shelf or peak at unity gain comes out with equal numerator and denominator: run
        // from a zero state its output is its input, so the arithmetic is skipped (the console
        // EQ and some tape formats sit there most of the time).
        identity = b0 == 1.0f && b1 == a1 && b2 == a2;

        if (identity)
            v1 = v2 = 0.0f;
    }

    void reset() noexcept { v1 = v2 = 0.0f; }

    float process (float in) noexcept
    {
        if (identity)
            return (in < -1.0e-8f || in > 1.0e-8f) ? in : 0.0f;

        auto out = b0 * in + v1;
        out = (out < -1.0e-8f || out > 1.0e-8f) ? out : 0.0f;

        v1 = b1 * in - a1 * out + v2;
        v2 = b2 * in - a2 * out;
        return out;
    }

    /** Keeps a design frequency below the Nyquist limit, where the framework's filter
        designs turn unstable (a 16 kHz band at a 22.05 kHz rate would otherwise blow up). */
    static double limitFrequency (double frequency, double sampleRate) noexcept
    {
        return juce::jmin (frequency, sampleRate * 0.45);
    }

    float b0 = 0.0f, b1 = 0.0f, b2 = 0.0f, a1 = 0.0f, a2 = 0.0f;
    float v1 = 0.0f, v2 = 0.0f;
    bool identity = false;
};
