// Importing an audio file onto a track. Not built yet: nothing is written.

#include "engine/TavrelDelayAudioProcessor.h"

void TavrelDelayAudioProcessor::importAudioToTrack (const juce::File& file, int track, double startSeconds,
                                                    bool splitStereo, float drive, float inputGain, bool ignoreReverse)
{
    juce::ignoreUnused (file, track, startSeconds, splitStereo, drive, inputGain, ignoreReverse);
}
