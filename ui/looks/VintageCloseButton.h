#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** The close button of document windows under the vintage look: a white cross. */
class VintageCloseButton : public juce::Button
{
public:
    explicit VintageCloseButton (const juce::String& name) : juce::Button (name) {}

    void paintButton (juce::Graphics&, bool shouldDrawButtonAsHighlighted, bool shouldDrawButtonAsDown) override;
};
