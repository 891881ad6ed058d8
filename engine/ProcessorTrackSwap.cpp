// Swapping two tracks. Not built yet: nothing changes.

#include "engine/TavrelDelayAudioProcessor.h"

void TavrelDelayAudioProcessor::swapTracks (int trackA, int trackB)
{
    juce::ignoreUnused (trackA, trackB);
}
