#include "ui/looks/RackButtonLook.h"

#include "ui/looks/LookDrawing.h"
#include "ui/looks/LookFonts.h"
#include "ui/looks/ModernLookAndFeel.h"

void RackButtonLook::drawButtonBackground (juce::Graphics& g, juce::Button& button, const juce::Colour& backgroundColour,
                                           bool shouldDrawButtonAsHighlighted, bool shouldDrawButtonAsDown)
{
    if (auto* modern = ModernLookAndFeel::getDefault())
    {
        modern->drawButtonBackground (g, button, backgroundColour, shouldDrawButtonAsHighlighted,
                                      shouldDrawButtonAsDown);
        return;
    }

    const LookDrawing::RaisedKey key{juce::Colour (0xff222222), 3.0f, juce::Colours::black.withAlpha ((juce::uint8)0x26), 1.0f};
    LookDrawing::drawRaisedKey (g, (float)button.getWidth(), (float)button.getHeight(), backgroundColour,
                                shouldDrawButtonAsDown || button.getToggleState(), key);
}

void RackButtonLook::drawButtonText (juce::Graphics& g, juce::TextButton& button, bool, bool shouldDrawButtonAsDown)
{
    if (auto* modern = ModernLookAndFeel::getDefault())
    {
        modern->drawButtonText (g, button, false, shouldDrawButtonAsDown);
        return;
    }

    LookDrawing::drawKeyText (g, button, LookFonts::font ("sans-serif", 12.0f, juce::Font::bold),
                              button.findColour (juce::TextButton::textColourOffId),
                              shouldDrawButtonAsDown || button.getToggleState(), 1);
}
