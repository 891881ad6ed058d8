#include "effects/EqualizerEngine.h"

#include <algorithm>

void EqualizerEngine::process (juce::AudioBuffer<float>& buffer) noexcept
{
    for (int k = 0; k < numBands; ++k)
        bands[(size_t)k].update ((float)sampleRate, freq[(size_t)k], q[(size_t)k], gainDb[(size_t)k], type[(size_t)k]);

    const int numChannels = std::min (EqBandFilter::maxChannels, buffer.getNumChannels());
    const int numSamples = buffer.getNumSamples();

    if (numChannels <= 0 || numSamples <= 0)
        return;

    juce::ScopedNoDenormals noDenormals;

    for (int ch = 0; ch < numChannels; ++ch)
    {
        float* samples = buffer.getWritePointer (ch);
        for (auto& band : bands)
            band.process (samples, numSamples, ch);
    }
}

std::unique_ptr<EqualizerEngine> makeEqualizerEngine()
{
    return std::make_unique<EqualizerEngine>();
}
