#pragma once

#include <juce_audio_basics/juce_audio_basics.h>
#include <juce_dsp/juce_dsp.h>

/** The head's eight band-pass filters, one per defect lane, run side by side in SIMD
    registers. Each band is the same transposed direct form II section as TapeBiquad, with its
    output snapped to zero within +-1e-8. */
class TapeBandFilterBank
{
public:
    using Vec = juce::dsp::SIMDRegister<float>;
    static constexpr int numBands = 8;
    static constexpr size_t lanesPerVec = Vec::SIMDNumElements;
    static constexpr size_t numVecs = (size_t)numBands / lanesPerVec;
    static_assert (numVecs * lanesPerVec == (size_t)numBands, "the bands must fill whole registers");

    TapeBandFilterBank() noexcept
    {
        for (size_t v = 0; v < numVecs; ++v)
            b0[v] = b1[v] = b2[v] = a1[v] = a2[v] = v1[v] = v2[v] = Vec::expand (0.0f);
    }

    void setCoefficients (int band, const juce::IIRCoefficients& c) noexcept
    {
        const auto v = (size_t)band / lanesPerVec, lane = (size_t)band % lanesPerVec;
        b0[v][lane] = c.coefficients[0];
        b1[v][lane] = c.coefficients[1];
        b2[v][lane] = c.coefficients[2];
        a1[v][lane] = c.coefficients[3];
        a2[v][lane] = c.coefficients[4];
    }

    void reset (int band) noexcept
    {
        const auto v = (size_t)band / lanesPerVec, lane = (size_t)band % lanesPerVec;
        v1[v][lane] = 0.0f;
        v2[v][lane] = 0.0f;
    }

    /** The running state of one band (the two delay values of its section). */
    float getState1 (int band) const noexcept { return v1[(size_t)band / lanesPerVec][(size_t)band % lanesPerVec]; }
    float getState2 (int band) const noexcept { return v2[(size_t)band / lanesPerVec][(size_t)band % lanesPerVec]; }

    /** Runs every band whose gain is at least 0.001 on x and returns the sum of their outputs
        times their gains. A band below that gain is not run: its state
        stays as it was until its gain comes back. */
    float process (float x, const Vec* gains) noexcept
    {
        const auto input = Vec::expand (x);
        const auto snapHigh = Vec::expand (1.0e-8f), snapLow = Vec::expand (-1.0e-8f);
        const auto threshold = Vec::expand (0.001f);
        auto total = Vec::expand (0.0f);

        for (size_t v = 0; v < numVecs; ++v)
        {
            auto out = b0[v] * input + v1[v];
            out = out & (Vec::greaterThan (out, snapHigh) | Vec::lessThan (out, snapLow));
            const auto newV1 = b1[v] * input - a1[v] * out + v2[v];
            const auto newV2 = b2[v] * input - a2[v] * out;
            const auto run = Vec::greaterThanOrEqual (gains[v], threshold);
            v1[v] = (newV1 & run) + (v1[v] & ~run);
            v2[v] = (newV2 & run) + (v2[v] & ~run);
            total += (out * gains[v]) & run;
        }

        return total.sum();
    }

    /** process() with every band's gain at exactly 1: the same result without the gain
        arithmetic (the usual case: a tape without defects under the head). */
    float processAllOpen (float x) noexcept
    {
        const auto input = Vec::expand (x);
        const auto snapHigh = Vec::expand (1.0e-8f), snapLow = Vec::expand (-1.0e-8f);
        auto total = Vec::expand (0.0f);

        for (size_t v = 0; v < numVecs; ++v)
        {
            auto out = b0[v] * input + v1[v];
            out = out & (Vec::greaterThan (out, snapHigh) | Vec::lessThan (out, snapLow));
            v1[v] = b1[v] * input - a1[v] * out + v2[v];
            v2[v] = b2[v] * input - a2[v] * out;
            total += out;
        }

        return total.sum();
    }

    /** A copy of the bank held in local variables while a loop runs it on each sample of a
        run, so that its state stays in registers; storeTo() puts the running state back. The
        arithmetic is process()'s and processAllOpen()'s. */
    struct Run
    {
        explicit Run (const TapeBandFilterBank& bank) noexcept
        {
            for (size_t v = 0; v < numVecs; ++v)
            {
                c0[v] = bank.b0[v];
                c1[v] = bank.b1[v];
                c2[v] = bank.b2[v];
                d1[v] = bank.a1[v];
                d2[v] = bank.a2[v];
                s1[v] = bank.v1[v];
                s2[v] = bank.v2[v];
            }
        }

        float process (float x, const Vec* gains) noexcept
        {
            const auto input = Vec::expand (x);
            const auto snapHigh = Vec::expand (1.0e-8f), snapLow = Vec::expand (-1.0e-8f);
            const auto threshold = Vec::expand (0.001f);
            auto total = Vec::expand (0.0f);

            for (size_t v = 0; v < numVecs; ++v)
            {
                auto out = c0[v] * input + s1[v];
                out = out & (Vec::greaterThan (out, snapHigh) | Vec::lessThan (out, snapLow));
                const auto newV1 = c1[v] * input - d1[v] * out + s2[v];
                const auto newV2 = c2[v] * input - d2[v] * out;
                const auto run = Vec::greaterThanOrEqual (gains[v], threshold);
                s1[v] = (newV1 & run) + (s1[v] & ~run);
                s2[v] = (newV2 & run) + (s2[v] & ~run);
                total += (out * gains[v]) & run;
            }

            return total.sum();
        }

        float processAllOpen (float x) noexcept
        {
            const auto input = Vec::expand (x);
            const auto snapHigh = Vec::expand (1.0e-8f), snapLow = Vec::expand (-1.0e-8f);
            auto total = Vec::expand (0.0f);

            for (size_t v = 0; v < numVecs; ++v)
            {
                auto out = c0[v] * input + s1[v];
                out = out & (Vec::greaterThan (out, snapHigh) | Vec::lessThan (out, snapLow));
                s1[v] = c1[v] * input - d1[v] * out + s2[v];
                s2[v] = c2[v] * input - d2[v] * out;
                total += out;
            }

            return total.sum();
        }

        void storeTo (TapeBandFilterBank& bank) const noexcept
        {
            for (size_t v = 0; v < numVecs; ++v)
            {
                bank.v1[v] = s1[v];
                bank.v2[v] = s2[v];
            }
        }

        Vec c0[numVecs], c1[numVecs], c2[numVecs], d1[numVecs], d2[numVecs], s1[numVecs], s2[numVecs];
    };

private:
    Vec b0[numVecs], b1[numVecs], b2[numVecs], a1[numVecs], a2[numVecs];
    Vec v1[numVecs], v2[numVecs];
};
