#include "ui/looks/RhythmButtonLook.h"

#include "ui/looks/LookDrawing.h"
#include "ui/looks/LookFonts.h"

void RhythmButtonLook::drawButtonText (juce::Graphics& g, juce::TextButton& button, bool, bool shouldDrawButtonAsDown)
{
    const bool on = button.getToggleState();
    LookDrawing::drawKeyText (g, button, LookFonts::font ("sans-serif", 8.0f, juce::Font::bold),
                              button.findColour (on ? juce::TextButton::textColourOnId
                                                    : juce::TextButton::textColourOffId),
                              shouldDrawButtonAsDown || on, 2);
}
