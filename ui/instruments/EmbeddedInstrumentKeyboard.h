#pragma once

#include "engine/TavrelDelayAudioProcessor.h"

#include <juce_gui_basics/juce_gui_basics.h>

class EmbeddedInstrumentKeyboard : public juce::Component
{
public:
    EmbeddedInstrumentKeyboard (TavrelDelayAudioProcessor&, TavrelDelayAudioProcessor::InstrumentPlugin*) {}
    bool keyPressed (const juce::KeyPress&) override { return false; }
    bool keyStateChanged (bool) override { return false; }
    void paint (juce::Graphics& g) override { g.fillAll (juce::Colour (0xff151515)); }
};
