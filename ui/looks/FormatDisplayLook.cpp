#include "ui/looks/FormatDisplayLook.h"

#include "ui/looks/LookFonts.h"
#include "ui/looks/MarlixButtonLook.h"
#include "ui/looks/ModernLookAndFeel.h"

void FormatDisplayLook::drawButtonBackground (juce::Graphics& g, juce::Button& button,
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

    const int w = button.getWidth(), h = button.getHeight();
    const bool on = button.getToggleState();
    auto face = backgroundColour;

    if (shouldDrawButtonAsDown || on)
        face = face.darker (0.15f);

    g.setColour (face);
    g.fillRect (0, 0, w, h);
    g.setColour (face.brighter (0.2f));
    g.fillRect (0, 0, w, 2);
    g.fillRect (0, 0, 2, h);
    g.setColour (face.darker (0.4f));
    g.fillRect (w - 2, 0, 2, h);
    g.fillRect (0, h - 2, w, 2);

    if (button.getClickingTogglesState())
    {
        const float l = (float)w - 12.0f;
        g.setColour (juce::Colours::black.withAlpha ((juce::uint8)0x99));
        g.fillEllipse (l - 1.0f, 5.0f, 8.0f, 8.0f);

        if (on)
        {
            const juce::Colour red (0xffff0000);
            g.setColour (red);
            g.fillEllipse (l, 6.0f, 6.0f, 6.0f);
            g.setColour (juce::Colours::white.withAlpha ((juce::uint8)0xcc));
            g.fillEllipse (l + 1.5f, 7.5f, 3.0f, 3.0f);
            g.setGradientFill (juce::ColourGradient (red.withAlpha ((juce::uint8)0x99), l + 3.0f, 9.0f,
                                                     red.withAlpha ((juce::uint8)0), l + 11.0f, 9.0f, true));
            g.fillEllipse (l - 2.0f, 4.0f, 10.0f, 10.0f);
        }
        else
        {
            g.setColour (juce::Colour (0xff330000));
            g.fillEllipse (l, 6.0f, 6.0f, 6.0f);
            g.setColour (juce::Colours::white.withAlpha ((juce::uint8)0x33));
            g.fillEllipse (l + 1.0f, 7.0f, 2.0f, 2.0f);
        }
    }

    MarlixButtonLook::drawMidiLearnMark (g, button);
}

void FormatDisplayLook::drawButtonText (juce::Graphics& g, juce::TextButton& button, bool, bool shouldDrawButtonAsDown)
{
    if (auto* modern = ModernLookAndFeel::getDefault())
    {
        modern->drawButtonText (g, button, false, shouldDrawButtonAsDown);
        return;
    }

    const float w = (float)button.getWidth(), h = (float)button.getHeight();
    auto orange = juce::Colour (0xffffa500);

    if (shouldDrawButtonAsDown)
        orange = orange.brighter (0.4f);

    g.setFont (LookFonts::font ("Courier New", 15.0f, juce::Font::bold));
    g.setColour (orange.withAlpha ((juce::uint8)0x66));
    g.drawText (button.getButtonText(), juce::Rectangle<float> (0.0f, 0.0f, w, h), juce::Justification::centred, false);
    g.setColour (orange);
    g.drawText (button.getButtonText(), juce::Rectangle<float> (0.0f, 0.0f, w, h), juce::Justification::centred, false);

    const float sheenHeight = juce::jmax (0.0f, h - 6.0f);
    g.setGradientFill (juce::ColourGradient::vertical (juce::Colours::white.withAlpha ((juce::uint8)0x1a), 3.0f,
                                                       juce::Colours::white.withAlpha ((juce::uint8)0), 3.0f + sheenHeight / 2.0f));
    g.fillRect (3.0f, 3.0f, juce::jmax (0.0f, w - 6.0f), sheenHeight * 0.45f);
}
