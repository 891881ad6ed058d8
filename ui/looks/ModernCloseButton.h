#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** The close button of document windows under the minimal look: a thin cross that darkens
    while pressed and brightens under the pointer. */
class ModernCloseButton : public juce::Button
{
public:
    explicit ModernCloseButton (const juce::String& name) : juce::Button (name) {}

    void paintButton (juce::Graphics&, bool shouldDrawButtonAsHighlighted, bool shouldDrawButtonAsDown) override;
};
