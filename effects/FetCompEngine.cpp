#include "effects/FetCompEngine.h"

#include "effects/EffectMath.h"
#include "effects/FastDecibels.h"

#include <algorithm>
#include <cmath>

void FetCompEngine::prepare (double newSampleRate) noexcept
{
    sampleRate = newSampleRate;
    envelopeDb = 0.0f;
    meterReductionDb.store (0.0f);
}

void FetCompEngine::setParameters (float inputDb, float outputDb, float attackMs, float releaseMs,
                                   int ratioIndex) noexcept
{
    using EffectMath::finiteOr;

    // Gains above +48 dB only come from hand-edited reels; they are held there so that an infinite
    // level cannot reach the audio.
    inputGain = EffectMath::gainFromDecibels (std::min (inputDb, 48.0f));
    outputGain = EffectMath::gainFromDecibels (std::min (outputDb, 48.0f));
    ratio = ratioTable[juce::jlimit (0, numRatios - 1, ratioIndex)];

    const double fs = sampleRate > 0.0 ? sampleRate : 44100.0;
    const double attack = std::max (finiteOr (attackMs, 0.8f), 0.02f);
    const double release = std::max (finiteOr (releaseMs, 500.0f), 10.0f);
    attackCoeff = (float)(1.0 - std::exp (-1.0 / (attack * 0.001 * fs)));
    releaseCoeff = (float)(1.0 - std::exp (-1.0 / (release * 0.001 * fs)));
}

void FetCompEngine::process (juce::AudioBuffer<float>& buffer) noexcept
{
    const int numChannels = buffer.getNumChannels();
    const int numSamples = buffer.getNumSamples();

    if (numChannels <= 0 || numSamples <= 0)
        return;

    juce::ScopedNoDenormals noDenormals;

    const float slope = 1.0f - 1.0f / ratio;
    const float channelScale = 1.0f / (float)numChannels;
    float* const* channels = buffer.getArrayOfWritePointers();
    float envelope = envelopeDb;
    double blockSum = 0.0;

    // In stretches: input gain and the detector's decibels for the stretch, then the envelope
    // sample by sample, then the gains. Only the envelope depends on the sample before.
    constexpr int stretch = 256;
    float levels[stretch], values[stretch];

    for (int start = 0; start < numSamples; start += stretch)
    {
        const int n = juce::jmin (stretch, numSamples - start);

        for (int ch = 0; ch < numChannels; ++ch)
        {
            auto* x = channels[ch] + start;

            for (int i = 0; i < n; ++i)
            {
                x[i] *= inputGain;
                levels[i] = (ch == 0 ? 0.0f : levels[i]) + std::abs (x[i]);
            }
        }

        for (int i = 0; i < n; ++i)
            levels[i] = levels[i] * channelScale + 1.0e-6f;

        FastDecibels::levelsToDecibels (levels, levels, n);

        for (int i = 0; i < n; ++i)
        {
            const float target = std::max (0.0f, levels[i] - thresholdDb) * slope;
            envelope += (target - envelope) * (target > envelope ? attackCoeff : releaseCoeff);
            values[i] = -envelope;
            blockSum += envelope;
        }

        FastDecibels::decibelsToGains (values, values, n);
        juce::FloatVectorOperations::multiply (values, outputGain, n);

        for (int ch = 0; ch < numChannels; ++ch)
            juce::FloatVectorOperations::multiply (channels[ch] + start, values, n);
    }

    envelopeDb = std::isfinite (envelope) ? envelope : 0.0f;
    meterReductionDb.exchange ((float)(blockSum / numSamples));
}
