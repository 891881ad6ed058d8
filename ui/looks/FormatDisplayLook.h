#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** The deck's tape-format display: a bevelled panel with orange glowing text behind glass and,
    on buttons that toggle, a red lamp. */
class FormatDisplayLook : public juce::LookAndFeel_V4
{
public:
    void drawButtonBackground (juce::Graphics&, juce::Button&, const juce::Colour& backgroundColour,
                               bool shouldDrawButtonAsHighlighted, bool shouldDrawButtonAsDown) override;
    void drawButtonText (juce::Graphics&, juce::TextButton&, bool shouldDrawButtonAsHighlighted,
                         bool shouldDrawButtonAsDown) override;
};
