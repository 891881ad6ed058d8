// Decoding the button sounds. Not built yet: the sounds stay empty and never play.

#include "engine/TavrelDelayAudioProcessor.h"

void TavrelDelayAudioProcessor::loadButtonSound (juce::AudioBuffer<float>& target, const void* data, size_t numBytes)
{
    juce::ignoreUnused (target, data, numBytes);
}
