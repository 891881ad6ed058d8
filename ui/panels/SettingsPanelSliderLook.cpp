#include "ui/panels/SettingsPanelSliderLook.h"

#include "ui/looks/ModernLookAndFeel.h"

void SettingsPanelSliderLook::drawLinearSlider (juce::Graphics& g, int x, int y, int width, int height, float sliderPos,
                                                float minSliderPos, float maxSliderPos,
                                                juce::Slider::SliderStyle style, juce::Slider& slider)
{
    auto* modern = ModernLookAndFeel::getDefault();
    if (modern == nullptr || style != juce::Slider::LinearHorizontal)
    {
        juce::LookAndFeel_V4::drawLinearSlider (g, x, y, width, height, sliderPos, minSliderPos, maxSliderPos, style,
                                                slider);
        return;
    }

    const bool dark = modern->isDark();
    const float cy = (float)y + (float)height / 2.0f;
    g.setColour (juce::Colour (dark ? 0xff151515 : 0xffdfe4e8));
    g.fillRoundedRectangle ((float)x, cy - 2.0f, (float)width, 4.0f, 2.0f);
    g.setColour (juce::Colour (modern->cAccent));
    g.fillRoundedRectangle ((float)x, cy - 2.0f, juce::jmax (0.0f, sliderPos - (float)x), 4.0f, 2.0f);

    const float r = 7.0f;
    g.setColour (juce::Colours::black.withAlpha (0.25f));
    g.fillEllipse (sliderPos - r, cy - r + 1.5f, 2.0f * r, 2.0f * r);
    g.setColour (dark ? juce::Colour (0xff333333) : juce::Colours::white);
    g.fillEllipse (sliderPos - r, cy - r, 2.0f * r, 2.0f * r);
    g.setColour (juce::Colour (modern->cAccent));
    g.drawEllipse (sliderPos - r, cy - r, 2.0f * r, 2.0f * r, 1.5f);
}

void SettingsPanelSliderLook::applyTo (juce::Slider& slider)
{
    slider.setLookAndFeel (ModernLookAndFeel::getDefault() != nullptr ? this : nullptr);
}
