#include "effects/OptoCompEngine.h"

#include "effects/EffectMath.h"
#include "effects/FastDecibels.h"

#include <cmath>

void OptoCompEngine::prepare (double newSampleRate) noexcept
{
    sampleRate = newSampleRate;
    envelopeDb = 0.0f;
    meterReductionDb.store (0.0f);
}

void OptoCompEngine::setParameters (float gain, float peakReduction, int limitMode) noexcept
{
    gain = EffectMath::clampOr (gain, 0.0f, 100.0f, 50.0f);
    peakReduction = EffectMath::clampOr (peakReduction, 0.0f, 100.0f, 0.0f);

    thresholdDb = -0.4f * peakReduction;
    makeupDb = 0.4f * gain - 20.0f;
    ratio = limitMode != 0 ? 20.0f : 3.0f;
}

void OptoCompEngine::process (juce::AudioBuffer<float>& buffer) noexcept
{
    const int numChannels = buffer.getNumChannels();
    const int numSamples = buffer.getNumSamples();

    if (numChannels <= 0 || numSamples <= 0)
        return;

    juce::ScopedNoDenormals noDenormals;

    const double fs = sampleRate > 0.0 ? sampleRate : 44100.0;
    const float attack = (float)(1.0 - std::exp (-1.0 / (fs * 0.01)));
    const float fastRelease = (float)(1.0 - std::exp (-1.0 / (fs * 0.06)));
    const float slowRelease = (float)(1.0 - std::exp (-1.0 / (fs * 1.5)));
    const float slope = 1.0f - 1.0f / ratio;
    const float channelScale = 1.0f / (float)numChannels;

    float* const* channels = buffer.getArrayOfWritePointers();
    float envelope = envelopeDb;
    double blockSum = 0.0;

    // In stretches: the detector's decibels for the stretch, then the envelope sample by
    // sample, then the gains. Only the envelope depends on the sample before.
    constexpr int stretch = 256;
    float levels[stretch], values[stretch];

    for (int start = 0; start < numSamples; start += stretch)
    {
        const int n = juce::jmin (stretch, numSamples - start);

        juce::FloatVectorOperations::abs (levels, channels[0] + start, n);

        for (int ch = 1; ch < numChannels; ++ch)
        {
            const auto* x = channels[ch] + start;

            for (int i = 0; i < n; ++i)
                levels[i] += std::abs (x[i]);
        }

        for (int i = 0; i < n; ++i)
            levels[i] = levels[i] * channelScale + 1.0e-6f;

        FastDecibels::levelsToDecibels (levels, levels, n);

        for (int i = 0; i < n; ++i)
        {
            const float target = std::max (0.0f, levels[i] - thresholdDb) * slope;

            if (target > envelope)
                envelope += (target - envelope) * attack;
            else
                envelope += (target - envelope) * (envelope > 3.0f ? fastRelease : slowRelease);

            values[i] = makeupDb - envelope;
            blockSum += envelope;
        }

        FastDecibels::decibelsToGains (values, values, n);

        for (int ch = 0; ch < numChannels; ++ch)
            juce::FloatVectorOperations::multiply (channels[ch] + start, values, n);
    }

    envelopeDb = std::isfinite (envelope) ? envelope : 0.0f;
    meterReductionDb.exchange ((float)(blockSum / numSamples));
}
