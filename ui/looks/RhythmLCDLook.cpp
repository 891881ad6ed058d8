#include "ui/looks/RhythmLCDLook.h"

#include "ui/looks/LookFonts.h"

void RhythmLCDLook::drawButtonBackground (juce::Graphics& g, juce::Button& button, const juce::Colour&,
                                          bool shouldDrawButtonAsHighlighted, bool)
{
    const auto r = button.getLocalBounds().toFloat();
    g.setColour (juce::Colour (0xff111111));
    g.fillRoundedRectangle (r, 2.0f);
    g.setColour (juce::Colours::black.withAlpha ((juce::uint8)0x99));
    g.drawRoundedRectangle (r, 2.0f, 1.0f);

    if (shouldDrawButtonAsHighlighted)
    {
        g.setColour (juce::Colours::white.withAlpha ((juce::uint8)0x0d));
        g.fillRoundedRectangle (r, 2.0f);
    }
}

void RhythmLCDLook::drawButtonText (juce::Graphics& g, juce::TextButton& button, bool, bool)
{
    const auto colour = button.findColour (juce::TextButton::textColourOffId);
    const float w = (float)button.getWidth(), h = (float)button.getHeight();
    const auto text = button.getButtonText();

    g.setFont (LookFonts::font ("Courier New", 10.0f, juce::Font::bold));
    g.setColour (colour.withAlpha ((juce::uint8)0x33));
    g.drawText (text, juce::Rectangle<float> (0.0f, 0.5f, w, h), juce::Justification::centred, false);
    g.drawText (text, juce::Rectangle<float> (0.0f, -0.5f, w, h), juce::Justification::centred, false);
    g.setColour (colour);
    g.drawText (text, juce::Rectangle<float> (0.0f, 0.0f, w, h), juce::Justification::centred, false);
}
