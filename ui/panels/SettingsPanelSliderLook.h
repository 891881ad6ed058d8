#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** The settings pages' horizontal sliders in the minimal interface, whose look draws only
    vertical faders: a thin track, the part up to the value in the theme's accent, a round thumb.
    The colours come from the default look when it is the minimal one. */
class SettingsPanelSliderLook : public juce::LookAndFeel_V4
{
public:
    void drawLinearSlider (juce::Graphics&, int x, int y, int width, int height, float sliderPos, float minSliderPos,
                           float maxSliderPos, juce::Slider::SliderStyle, juce::Slider&) override;

    /** Gives the slider this look in the minimal interface, and its look back otherwise. */
    void applyTo (juce::Slider& slider);
};
