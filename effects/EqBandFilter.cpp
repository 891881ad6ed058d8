#include "effects/EqBandFilter.h"

#include <algorithm>
#include <cmath>

namespace
{
constexpr float twoPi = 6.2831855f;
} // namespace

void EqBandFilter::update (float sampleRate, float freq, float q, float gainDb, int type) noexcept
{
    // The sample rate counts as a setting: coefficients made for another rate would be wrong.
    if (freq == lastFreq && q == lastQ && gainDb == lastGainDb && type == lastType && sampleRate == lastSampleRate)
        return;

    lastFreq = freq;
    lastQ = q;
    lastGainDb = gainDb;
    lastType = type;
    lastSampleRate = sampleRate;

    if (! (sampleRate > 0.0f) || ! std::isfinite (sampleRate))
        return;

    if (type != LowShelf && type != Peak && type != HighShelf)
        return;

    if (! std::isfinite (freq) || ! std::isfinite (q) || ! std::isfinite (gainDb))
    {
        b0 = 1.0f;
        b1 = b2 = a1 = a2 = 0.0f;
        return;
    }

    const float f0 = std::min (0.45f * sampleRate, std::max (freq, 10.0f));
    const float bandQ = std::clamp (q, 0.01f, 100.0f);
    const float g = std::clamp (gainDb, -48.0f, 48.0f);

    const float A = std::pow (10.0f, g / 40.0f);
    const float w0 = f0 * twoPi / sampleRate;
    const float alpha = std::sin (w0) / (2.0f * bandQ);
    const float c = std::cos (w0);
    const float s = std::sqrt (A);

    if (type == Peak)
    {
        const float a0 = 1.0f + alpha / A;
        b0 = (1.0f + alpha * A) / a0;
        b1 = -2.0f * c / a0;
        b2 = (1.0f - alpha * A) / a0;
        a1 = -2.0f * c / a0;
        a2 = (1.0f - alpha / A) / a0;
    }
    else if (type == LowShelf)
    {
        const float a0 = (A + 1.0f) + (A - 1.0f) * c + 2.0f * s * alpha;
        b0 = A * ((A + 1.0f) - (A - 1.0f) * c + 2.0f * s * alpha) / a0;
        b1 = 2.0f * A * ((A - 1.0f) - (A + 1.0f) * c) / a0;
        b2 = A * ((A + 1.0f) - (A - 1.0f) * c - 2.0f * s * alpha) / a0;
        a1 = -2.0f * ((A - 1.0f) + (A + 1.0f) * c) / a0;
        a2 = ((A + 1.0f) + (A - 1.0f) * c - 2.0f * s * alpha) / a0;
    }
    else
    {
        const float a0 = (A + 1.0f) - (A - 1.0f) * c + 2.0f * s * alpha;
        b0 = A * ((A + 1.0f) + (A - 1.0f) * c + 2.0f * s * alpha) / a0;
        b1 = -2.0f * A * ((A - 1.0f) + (A + 1.0f) * c) / a0;
        b2 = A * ((A + 1.0f) + (A - 1.0f) * c - 2.0f * s * alpha) / a0;
        a1 = 2.0f * ((A - 1.0f) - (A + 1.0f) * c) / a0;
        a2 = ((A + 1.0f) - (A - 1.0f) * c - 2.0f * s * alpha) / a0;
    }
}

float EqBandFilter::getMagnitudeDb (float freq, float sampleRate) const noexcept
{
    if (! (sampleRate > 0.0f))
        return 0.0f;

    const double w = (double)freq * twoPi / sampleRate;
    const double cw = std::cos (w), c2w = std::cos (2.0 * w);
    const double sw = std::sin (w), s2w = std::sin (2.0 * w);

    const double numRe = b0 + b1 * cw + b2 * c2w;
    const double numIm = -(b1 * sw + b2 * s2w);
    const double denRe = 1.0 + a1 * cw + a2 * c2w;
    const double denIm = -(a1 * sw + a2 * s2w);

    const double denominator = denRe * denRe + denIm * denIm;
    if (denominator == 0.0)
        return 0.0f;

    return (float)(10.0 * std::log10 ((numRe * numRe + numIm * numIm) / denominator));
}

void EqBandFilter::process (float* samples, int numSamples, int channel) noexcept
{
    if (channel < 0 || channel >= maxChannels)
        return;

    float s1 = z1[channel], s2 = z2[channel];

    for (int i = 0; i < numSamples; ++i)
    {
        const float x = samples[i];
        const float y = b0 * x + s1;
        s1 = b1 * x - a1 * y + s2;
        s2 = b2 * x - a2 * y;

        float out = y > 24.0f ? 24.0f : (y < -24.0f ? -24.0f : y);
        if (! (std::abs (out) >= 1.0e-15f)) // also turns NaN into silence
            out = 0.0f;
        samples[i] = out;
    }

    if (! std::isfinite (s1) || ! std::isfinite (s2))
        s1 = s2 = 0.0f;

    z1[channel] = s1;
    z2[channel] = s2;
}

void EqBandFilter::reset() noexcept
{
    for (int ch = 0; ch < maxChannels; ++ch)
        z1[ch] = z2[ch] = 0.0f;
}
