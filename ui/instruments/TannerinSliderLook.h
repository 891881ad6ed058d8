#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** The horizontal pitch strips of the slide instrument (the editor's SLIDE control and the
    performance window's ribbon): a dark rail and a metal thumb with a red pointer. The thumb
    radius of 12 matches the margin of the keyboard picture, so a strip laid over the same x
    range as the picture puts the thumb for note n over note n. */
class TannerinSliderLook : public juce::LookAndFeel_V4
{
public:
    static constexpr int thumbRadius = 12;

    void drawLinearSlider (juce::Graphics&, int x, int y, int width, int height, float sliderPos, float minSliderPos,
                           float maxSliderPos, juce::Slider::SliderStyle, juce::Slider&) override;
    int getSliderThumbRadius (juce::Slider&) override;
};
