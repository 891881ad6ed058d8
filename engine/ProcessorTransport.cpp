// Transport control and locating. Not built yet: the operations change nothing.

#include "engine/TavrelDelayAudioProcessor.h"

void TavrelDelayAudioProcessor::setTransportState (int newState)
{
    juce::ignoreUnused (newState);
}

void TavrelDelayAudioProcessor::recordButtonPressed() {}

void TavrelDelayAudioProcessor::returnToZero() {}

double TavrelDelayAudioProcessor::setZeroPoint()
{
    return zeroOffset;
}

double TavrelDelayAudioProcessor::getElapsedSinceZero() const
{
    return tracks.front().getPositionSeconds() - zeroOffset;
}
