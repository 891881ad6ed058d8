#include "ui/instruments/TannerinSliderLook.h"

void TannerinSliderLook::drawLinearSlider (juce::Graphics& g, int xi, int yi, int widthi, int heighti, float sliderPos,
                                           float, float, juce::Slider::SliderStyle, juce::Slider&)
{
    const float x = (float)xi, y = (float)yi, width = (float)widthi, height = (float)heighti;
    const float cy = y + height / 2.0f;
    const float th = height * 0.85f;
    const float top = cy - th / 2.0f;
    const float left = sliderPos - 12.0f;

    // Rail: a rounded bar lit from above.
    juce::ColourGradient rail (juce::Colour (0xfff0f0f0), x, cy - 5.0f, juce::Colour (0xff111111), x, cy + 5.0f, false);
    rail.addColour (0.3, juce::Colours::white);
    rail.addColour (0.7, juce::Colour (0xff444444));
    rail.addColour (0.9, juce::Colour (0xff777777));
    g.setGradientFill (rail);
    g.fillRoundedRectangle (x, cy - 5.0f, width, 10.0f, 5.0f);

    // Thumb with its shadow.
    g.setColour (juce::Colours::black.withAlpha ((juce::uint8)0x99));
    g.fillRoundedRectangle (left + 3.0f, top + 5.0f, 24.0f, th, 4.0f);

    g.setGradientFill (juce::ColourGradient (juce::Colour (0xffe8e8e8), left, 0.0f, juce::Colour (0xff888888), left + 24.0f,
                                             0.0f, false));
    g.fillRoundedRectangle (left, top, 24.0f, th, 3.0f);

    g.setColour (juce::Colours::black.withAlpha ((juce::uint8)0xb2));
    g.fillRect (left, cy - 6.0f, 24.0f, 12.0f);

    // Pointer above the thumb, with a light and a dark edge.
    juce::Path pointer;
    pointer.addTriangle (sliderPos - 5.0f, top + 6.0f, sliderPos + 5.0f, top + 6.0f, sliderPos, top - 6.0f);
    g.setColour (juce::Colour (0xffff0000));
    g.fillPath (pointer);
    g.setColour (juce::Colours::white.withAlpha ((juce::uint8)0x80));
    g.drawLine (sliderPos, top - 6.0f, sliderPos - 4.0f, top + 6.0f, 1.0f);
    g.setColour (juce::Colours::black.withAlpha ((juce::uint8)0x80));
    g.drawLine (sliderPos, top - 6.0f, sliderPos + 4.0f, top + 6.0f, 1.0f);

    // Groove marking the exact pitch.
    g.setColour (juce::Colours::black.withAlpha ((juce::uint8)0x4c));
    g.fillRect (sliderPos - 2.0f, top + 8.0f, 4.0f, th - 12.0f);
    g.setColour (juce::Colour (0xffff0000).withAlpha ((juce::uint8)0xd9));
    g.fillRect (sliderPos - 1.0f, top + 8.0f, 2.0f, th - 12.0f);
}

int TannerinSliderLook::getSliderThumbRadius (juce::Slider&)
{
    return thumbRadius;
}
