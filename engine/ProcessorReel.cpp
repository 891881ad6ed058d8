// Saving and loading reels. Not built yet: the operations change nothing.

#include "engine/TavrelDelayAudioProcessor.h"

void TavrelDelayAudioProcessor::saveReel (int slot)
{
    juce::ignoreUnused (slot);
}

void TavrelDelayAudioProcessor::saveReelAs (const juce::String& newName)
{
    juce::ignoreUnused (newName);
}

void TavrelDelayAudioProcessor::loadReel (const juce::String& name, int slot)
{
    juce::ignoreUnused (name, slot);
}

void TavrelDelayAudioProcessor::ejectReel() {}
