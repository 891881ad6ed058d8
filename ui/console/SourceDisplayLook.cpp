#include "ui/console/SourceDisplayLook.h"

#include "ui/looks/LookFonts.h"
#include "ui/looks/MarlixButtonLook.h"
#include "ui/looks/ModernLookAndFeel.h"

void SourceDisplayLook::drawButtonBackground (juce::Graphics& g, juce::Button& button,
                                              const juce::Colour& backgroundColour, bool shouldDrawButtonAsHighlighted,
                                              bool shouldDrawButtonAsDown)
{
    if (auto* modern = ModernLookAndFeel::getDefault())
    {
        modern->drawButtonBackground (g, button, backgroundColour, shouldDrawButtonAsHighlighted,
                                      shouldDrawButtonAsDown);
        MarlixButtonLook::drawMidiLearnMark (g, button);
        return;
    }

    // A window sunk into the panel: dark bezel, glass lit a little from above.
    const auto r = button.getLocalBounds().toFloat();
    g.setColour (juce::Colours::black);
    g.fillRoundedRectangle (r, 3.0f);
    const auto glass = r.reduced (1.5f);
    auto face = backgroundColour;
    if (shouldDrawButtonAsDown)
        face = face.brighter (0.15f);
    g.setGradientFill (juce::ColourGradient (face.brighter (0.25f), 0.0f, glass.getY(), face.darker (0.3f), 0.0f,
                                            glass.getBottom(), false));
    g.fillRoundedRectangle (glass, 2.0f);
    g.setColour (juce::Colours::white.withAlpha (shouldDrawButtonAsHighlighted ? 0.25f : 0.12f));
    g.drawRoundedRectangle (glass, 2.0f, 1.0f);

    MarlixButtonLook::drawMidiLearnMark (g, button);
}

void SourceDisplayLook::drawButtonText (juce::Graphics& g, juce::TextButton& button, bool shouldDrawButtonAsHighlighted,
                                        bool shouldDrawButtonAsDown)
{
    if (auto* modern = ModernLookAndFeel::getDefault())
    {
        modern->drawButtonText (g, button, shouldDrawButtonAsHighlighted, shouldDrawButtonAsDown);
        return;
    }

    const auto colour = button.findColour (juce::TextButton::textColourOffId);
    const auto area = button.getLocalBounds().toFloat().reduced (2.0f);
    g.setFont (LookFonts::font ("Courier New", juce::jmin (13.0f, area.getHeight() - 2.0f), juce::Font::bold));
    g.setColour (colour.withAlpha (0.25f)); // the glow around lit segments
    g.drawText (button.getButtonText(), area.translated (0.0f, 1.0f), juce::Justification::centred, false);
    g.setColour (colour);
    g.drawText (button.getButtonText(), area, juce::Justification::centred, false);
}
