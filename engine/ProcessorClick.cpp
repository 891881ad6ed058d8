// The metronome track. Not built yet: the operations change nothing.

#include "engine/TavrelDelayAudioProcessor.h"

void TavrelDelayAudioProcessor::setClickEnabled (bool enabled, double newBpm, int beatsPerBar, int beatUnit)
{
    juce::ignoreUnused (enabled, newBpm, beatsPerBar, beatUnit);
}

void TavrelDelayAudioProcessor::setTempo (double newBpm, int beatsPerBar, int beatUnit)
{
    juce::ignoreUnused (newBpm, beatsPerBar, beatUnit);
}

void TavrelDelayAudioProcessor::renderClickTrack (double newBpm, int beatsPerBar, int beatUnit, int subdivision)
{
    juce::ignoreUnused (newBpm, beatsPerBar, beatUnit, subdivision);
}
