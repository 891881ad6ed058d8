// The global MIDI map and MIDI learn. Not built yet: the map stays empty and nothing is bound.

#include "engine/TavrelDelayAudioProcessor.h"

void TavrelDelayAudioProcessor::setMidiLearnTarget (const juce::String& id)
{
    juce::ignoreUnused (id);
}

void TavrelDelayAudioProcessor::clearMidiLearnTarget() {}

void TavrelDelayAudioProcessor::clearMidiMap() {}

void TavrelDelayAudioProcessor::saveGlobalMidiMap() {}

void TavrelDelayAudioProcessor::loadGlobalMidiMap() {}

void TavrelDelayAudioProcessor::setInstrumentParameterFromMidi (int slot, const juce::String& controlId, float value)
{
    juce::ignoreUnused (slot, controlId, value);
}
