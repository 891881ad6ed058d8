#include "ui/looks/SharpieLabelLook.h"

#include "ui/looks/LookFonts.h"
#include "ui/looks/ModernLookAndFeel.h"

juce::Font SharpieLabelLook::getLabelFont (juce::Label&)
{
    if (ModernLookAndFeel::getDefault() != nullptr)
        return LookFonts::font ("sans-serif", 16.0f, juce::Font::bold);

    // The handwriting face when the system has it, else the script fallback.
    if (LookFonts::isInstalled ("Ink Free"))
        return juce::Font ("Ink Free", 23.0f, juce::Font::bold);

    return LookFonts::font ("Segoe Script", 20.0f, juce::Font::bold);
}

void SharpieLabelLook::drawLabel (juce::Graphics& g, juce::Label& label)
{
    const auto font = getLabelFont (label);
    const juce::Rectangle<float> r (2.0f, 2.0f, (float)label.getWidth() - 4.0f, (float)label.getHeight() - 4.0f);
    const bool editing = label.isBeingEdited();

    if (auto* modern = ModernLookAndFeel::getDefault())
    {
        const bool dark = modern->isDark();
        g.setColour (juce::Colour (dark ? 0xff444444 : 0xffbdc3c7));
        g.drawRoundedRectangle (r, 4.0f, 1.5f);
        g.setColour (juce::Colour (dark ? 0xff1a1a1a : 0xffffffff));
        g.fillRoundedRectangle (r, 4.0f);

        if (! editing)
        {
            g.setFont (font);
            g.setColour (dark ? juce::Colour (modern->cDark) : juce::Colour (0xff34495e));
            g.drawText (label.getText(), r, juce::Justification::centred, false);
        }

        return;
    }

    if (editing)
        return;

    juce::GlyphArrangement glyphs;
    glyphs.addFittedText (font, label.getText(), r.getX(), r.getY(), r.getWidth(), r.getHeight(),
                          label.getJustificationType(), 1);
    juce::Path ink;
    glyphs.createPath (ink);

    g.setColour (juce::Colour (0x661a1a2e));
    g.strokePath (ink, juce::PathStrokeType (2.5f, juce::PathStrokeType::curved, juce::PathStrokeType::rounded));

    if (texture.isValid())
        g.setTiledImageFill (texture, 0, 0, 0.7f);
    else
        g.setColour (juce::Colour (0xb20a0a18));

    g.fillPath (ink);

    const auto bounds = ink.getBounds();

    if (! bounds.isEmpty())
    {
        g.setGradientFill (juce::ColourGradient::vertical (juce::Colour (0xb20a0a18), bounds.getY(),
                                                           juce::Colour (0xf20a0a18), bounds.getBottom()));
        g.fillPath (ink);
    }
}
