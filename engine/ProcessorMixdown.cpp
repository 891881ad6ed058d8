// The offline mixdown renderer. Not built yet.

#include "engine/TavrelDelayAudioProcessor.h"

OfflineRenderResult TavrelDelayAudioProcessor::renderOfflineMixdown (const juce::File& target, double start, double end,
                                                                     std::function<bool (float)> progress,
                                                                     juce::Array<int> excluded, bool ignoreVarispeed)
{
    juce::ignoreUnused (target, start, end, progress, excluded, ignoreVarispeed);
    return {};
}
