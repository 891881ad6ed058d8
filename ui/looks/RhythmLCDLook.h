#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** LCD-style buttons of the instrument editors: dark glass with glowing monospaced text. Keeps
    its drawing under the minimal look. */
class RhythmLCDLook : public juce::LookAndFeel_V4
{
public:
    void drawButtonBackground (juce::Graphics&, juce::Button&, const juce::Colour& backgroundColour,
                               bool shouldDrawButtonAsHighlighted, bool shouldDrawButtonAsDown) override;
    void drawButtonText (juce::Graphics&, juce::TextButton&, bool shouldDrawButtonAsHighlighted,
                         bool shouldDrawButtonAsDown) override;
};
