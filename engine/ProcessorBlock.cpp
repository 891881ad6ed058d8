// The block callback. For now it holds the shape every block keeps: never wait for a lock,
// and output silence when the audio lock is busy or processing is suspended. The control,
// sources-and-tape and console-and-master stages fill it in.

#include "engine/TavrelDelayAudioProcessor.h"

void TavrelDelayAudioProcessor::processBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midiMessages)
{
    juce::ignoreUnused (midiMessages);
    const juce::ScopedNoDenormals noDenormals;
    const juce::ScopedTryLock lock (audioLock);

    // Nothing is mixed yet: the output is silent either way.
    buffer.clear();

    if (! lock.isLocked() || isSuspended())
        return;
}
