#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** Track names written in marker ink on the console's masking tape; a plain boxed name under
    the minimal look. */
class SharpieLabelLook : public juce::LookAndFeel_V4
{
public:
    /** The ink grain, tiled over the letters; set by the owner (plain ink while empty). */
    juce::Image texture;

    void drawLabel (juce::Graphics&, juce::Label&) override;
    juce::Font getLabelFont (juce::Label&) override;
};
