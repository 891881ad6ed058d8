#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** Raised keys of the insert rack and the built-in effect and instrument editors; hands its
    drawing to the minimal look when that is the default. */
class RackButtonLook : public juce::LookAndFeel_V4
{
public:
    void drawButtonBackground (juce::Graphics&, juce::Button&, const juce::Colour& backgroundColour,
                               bool shouldDrawButtonAsHighlighted, bool shouldDrawButtonAsDown) override;
    void drawButtonText (juce::Graphics&, juce::TextButton&, bool shouldDrawButtonAsHighlighted,
                         bool shouldDrawButtonAsDown) override;
};
