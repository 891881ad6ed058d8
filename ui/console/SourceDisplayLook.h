#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** The channel strip's input-source key under the skeuomorphic look: a small recessed display
    window showing the source in the button's text colour (white, grey when disconnected). Under
    the minimal look it draws as the application's look does. */
class SourceDisplayLook : public juce::LookAndFeel_V4
{
public:
    void drawButtonBackground (juce::Graphics&, juce::Button&, const juce::Colour& backgroundColour,
                               bool shouldDrawButtonAsHighlighted, bool shouldDrawButtonAsDown) override;
    void drawButtonText (juce::Graphics&, juce::TextButton&, bool shouldDrawButtonAsHighlighted,
                         bool shouldDrawButtonAsDown) override;
};
