// Editing the tape-defect maps of all tracks. Not built yet: the operations change nothing.

#include "engine/TavrelDelayAudioProcessor.h"

void TavrelDelayAudioProcessor::clearAllTapeDefects() {}

void TavrelDelayAudioProcessor::paintTapeDefect (float position, int lane, int kind, float halfWidthSeconds,
                                                 float strength)
{
    juce::ignoreUnused (position, lane, kind, halfWidthSeconds, strength);
}

void TavrelDelayAudioProcessor::generateRandomDefects (float rate)
{
    juce::ignoreUnused (rate);
}
