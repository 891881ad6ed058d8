// The offline mixdown renderer. Not built yet: nothing is written.

#include "engine/TavrelDelayAudioProcessor.h"

void TavrelDelayAudioProcessor::renderOfflineMixdown (const juce::File& target, double start, double end,
                                                      std::function<bool (float)> progress, juce::Array<int> excluded,
                                                      bool ignoreVarispeed)
{
    juce::ignoreUnused (target, start, end, progress, excluded, ignoreVarispeed);
}
