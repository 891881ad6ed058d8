#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** A 35-pixel strip of the rack drawn as a piece of rack gear: brushed faceplate, rails and
    screws under the vintage look, a rounded card under the minimal one. */
class RackUnit : public juce::Component
{
public:
    static constexpr int unitHeight = 35;

    explicit RackUnit (const juce::String& unitName);

    void paint (juce::Graphics&) override;

    /** The minimal look's label colour for a device unit, or white under the vintage look. */
    static juce::Colour labelColour();

private:
    static void drawScrew (juce::Graphics&, float x, float y);

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (RackUnit)
};
