#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** The hardware-styled text buttons of the panels, deck and console: raised keys on a black
    body, marked in white while MIDI learn waits for them. */
class MarlixButtonLook : public juce::LookAndFeel_V4
{
public:
    void drawButtonBackground (juce::Graphics&, juce::Button&, const juce::Colour& backgroundColour,
                               bool shouldDrawButtonAsHighlighted, bool shouldDrawButtonAsDown) override;
    void drawButtonText (juce::Graphics&, juce::TextButton&, bool shouldDrawButtonAsHighlighted,
                         bool shouldDrawButtonAsDown) override;

    /** The white mark of the button MIDI learn waits for (drawn by both control looks). */
    static void drawMidiLearnMark (juce::Graphics&, const juce::Button&);
};
