#include "effects/FetCompEngine.h"

#include "effects/EffectMath.h"

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

    for (int i = 0; i < numSamples; ++i)
    {
        float sum = 0.0f;
        for (int ch = 0; ch < numChannels; ++ch)
        {
            const float x = channels[ch][i] * inputGain;
            channels[ch][i] = x;
            sum += std::abs (x);
        }

        const float levelDb = EffectMath::levelToDecibels (sum * channelScale + 1.0e-6f);
        const float target = std::max (0.0f, levelDb - thresholdDb) * slope;

        envelope += (target - envelope) * (target > envelope ? attackCoeff : releaseCoeff);

        const float g = EffectMath::gainFromDecibels (-envelope) * outputGain;
        for (int ch = 0; ch < numChannels; ++ch)
            channels[ch][i] *= g;

        blockSum += envelope;
    }

    envelopeDb = std::isfinite (envelope) ? envelope : 0.0f;
    meterReductionDb.exchange ((float)(blockSum / numSamples));
}
