#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** The room's own look for its five transport keys: brushed-metal keys with the usual
    transport symbols, picked by the button's component ID, lit green while toggled on. */
class LoungeTransportLook : public juce::LookAndFeel_V4
{
public:
    void drawButtonBackground (juce::Graphics&, juce::Button&, const juce::Colour& backgroundColour,
                               bool highlighted, bool down) override;
    void drawButtonText (juce::Graphics&, juce::TextButton&, bool highlighted, bool down) override;
};
