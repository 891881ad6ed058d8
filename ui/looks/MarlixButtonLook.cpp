#include "ui/looks/MarlixButtonLook.h"

#include "ui/looks/LookDrawing.h"
#include "ui/looks/LookFonts.h"
#include "ui/looks/ModernLookAndFeel.h"

void MarlixButtonLook::drawMidiLearnMark (juce::Graphics& g, const juce::Button& button)
{
    if (! LookDrawing::isMidiLearnTarget (button))
        return;

    const juce::Rectangle<float> r (2.0f, 2.0f, (float)button.getWidth() - 4.0f, (float)button.getHeight() - 4.0f);
    g.setColour (juce::Colours::white.withAlpha ((juce::uint8)0xcc));
    g.drawRoundedRectangle (r, 4.0f, 2.0f);
    g.setColour (juce::Colours::white.withAlpha ((juce::uint8)0x33));
    g.fillRoundedRectangle (r, 4.0f);
}

void MarlixButtonLook::drawButtonBackground (juce::Graphics& g, juce::Button& button,
                                             const juce::Colour& backgroundColour, bool shouldDrawButtonAsHighlighted,
                                             bool shouldDrawButtonAsDown)
{
    if (auto* modern = ModernLookAndFeel::getDefault())
    {
        modern->drawButtonBackground (g, button, backgroundColour, shouldDrawButtonAsHighlighted,
                                      shouldDrawButtonAsDown);
    }
    else
    {
        const LookDrawing::RaisedKey key{juce::Colour (0xff151515), 4.0f, juce::Colours::black.withAlpha ((juce::uint8)0x4c), 2.0f};
        LookDrawing::drawRaisedKey (g, (float)button.getWidth(), (float)button.getHeight(), backgroundColour,
                                    shouldDrawButtonAsDown || button.getToggleState(), key);
    }

    drawMidiLearnMark (g, button);
}

void MarlixButtonLook::drawButtonText (juce::Graphics& g, juce::TextButton& button, bool shouldDrawButtonAsHighlighted,
                                       bool shouldDrawButtonAsDown)
{
    if (auto* modern = ModernLookAndFeel::getDefault())
    {
        modern->drawButtonText (g, button, shouldDrawButtonAsHighlighted, shouldDrawButtonAsDown);
        return;
    }

    const bool on = button.getToggleState();
    LookDrawing::drawKeyText (g, button, LookFonts::font ("Segoe UI", 12.0f, juce::Font::bold),
                              on ? juce::Colour (0xfffff5e0) : button.findColour (juce::TextButton::textColourOffId),
                              shouldDrawButtonAsDown || on, 2);
}
