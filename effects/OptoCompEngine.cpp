#include "effects/OptoCompEngine.h"

#include "effects/EffectMath.h"

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

    for (int i = 0; i < numSamples; ++i)
    {
        float sum = 0.0f;
        for (int ch = 0; ch < numChannels; ++ch)
            sum += std::abs (channels[ch][i]);

        const float levelDb = EffectMath::levelToDecibels (sum * channelScale + 1.0e-6f);
        const float target = std::max (0.0f, levelDb - thresholdDb) * slope;

        if (target > envelope)
            envelope += (target - envelope) * attack;
        else
            envelope += (target - envelope) * (envelope > 3.0f ? fastRelease : slowRelease);

        const float g = EffectMath::gainFromDecibels (makeupDb - envelope);
        for (int ch = 0; ch < numChannels; ++ch)
            channels[ch][i] *= g;

        blockSum += envelope;
    }

    envelopeDb = std::isfinite (envelope) ? envelope : 0.0f;
    meterReductionDb.exchange ((float)(blockSum / numSamples));
}
