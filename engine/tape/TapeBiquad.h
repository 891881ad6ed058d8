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

    /** process() over a run of samples, in place, with the same arithmetic. */
    void processBlock (float* samples, int numSamples) noexcept
    {
        if (identity)
        {
            for (int i = 0; i < numSamples; ++i)
                samples[i] = (samples[i] < -1.0e-8f || samples[i] > 1.0e-8f) ? samples[i] : 0.0f;

            return;
        }

        const auto c0 = b0, c1 = b1, c2 = b2, d1 = a1, d2 = a2;
        auto s1 = v1, s2 = v2;

        for (int i = 0; i < numSamples; ++i)
        {
            const auto in = samples[i];
            auto out = c0 * in + s1;
            out = (out < -1.0e-8f || out > 1.0e-8f) ? out : 0.0f;
            s1 = c1 * in - d1 * out + s2;
            s2 = c2 * in - d2 * out;
            samples[i] = out;
        }

        v1 = s1;
        v2 = s2;
    }

    /** A copy of a section held in local variables while a loop runs several sections one
        after the other on each sample; storeTo() puts the running state back. */
    struct Section
    {
        explicit Section (const TapeBiquad& f) noexcept
            : c0 (f.b0), c1 (f.b1), c2 (f.b2), d1 (f.a1), d2 (f.a2), s1 (f.v1), s2 (f.v2)
        {
        }

        float process (float in) noexcept
        {
            auto out = c0 * in + s1;
            out = (out < -1.0e-8f || out > 1.0e-8f) ? out : 0.0f;
            s1 = c1 * in - d1 * out + s2;
            s2 = c2 * in - d2 * out;
            return out;
        }

        void storeTo (TapeBiquad& f) const noexcept
        {
            f.v1 = s1;
            f.v2 = s2;
        }

        float c0, c1, c2, d1, d2, s1, s2;
    };

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
