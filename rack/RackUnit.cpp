#include "rack/RackUnit.h"

#include "ui/looks/ModernLookAndFeel.h"

RackUnit::RackUnit (const juce::String& unitName)
{
    setName (unitName);
}

void RackUnit::paint (juce::Graphics& g)
{
    const auto bounds = getLocalBounds().toFloat();
    const float w = bounds.getWidth();
    const float h = bounds.getHeight();

    if (auto* modern = ModernLookAndFeel::getDefault())
    {
        const bool dark = modern->isDark();
        g.setColour (dark ? juce::Colour (modern->cChassis1) : juce::Colour (0xffffffff));
        g.fillRoundedRectangle (bounds, 6.0f);
        g.setColour ((dark ? juce::Colour (modern->cDark) : juce::Colour (0xff808080)).withAlpha (0.2f));
        g.drawRoundedRectangle (bounds, 6.0f, 1.0f);
        return;
    }

    g.setGradientFill (juce::ColourGradient (juce::Colour (0xff2b2b2b), 0.0f, 0.0f, juce::Colour (0xff1f1f1f), 0.0f, h, false));
    g.fillRect (bounds);

    g.setColour (juce::Colours::black);
    g.drawLine (20.0f, 0.0f, 20.0f, h, 2.0f);
    g.drawLine (w - 20.0f, 0.0f, w - 20.0f, h, 2.0f);

    drawScrew (g, 10.0f, 10.0f);
    drawScrew (g, 10.0f, h - 10.0f);
    drawScrew (g, w - 10.0f, 10.0f);
    drawScrew (g, w - 10.0f, h - 10.0f);

    g.setColour (juce::Colours::white.withAlpha (0.1f));
    g.drawRect (bounds, 1.0f);
}

juce::Colour RackUnit::labelColour()
{
    if (auto* modern = ModernLookAndFeel::getDefault())
        return modern->isDark() ? juce::Colour (modern->cDark) : juce::Colour (0xff34495e);
    return juce::Colour (0xffffffff);
}

void RackUnit::drawScrew (juce::Graphics& g, float x, float y)
{
    g.setColour (juce::Colours::black);
    g.fillEllipse (x - 4.0f, y - 4.0f, 8.0f, 8.0f);
    g.setColour (juce::Colour (0xffc0c0c0));
    g.fillEllipse (x - 3.0f, y - 3.0f, 6.0f, 6.0f);
    g.setColour (juce::Colour (0xff555555));
    g.drawLine (x - 2.0f, y - 2.0f, x + 2.0f, y + 2.0f, 1.5f);
    g.drawLine (x - 2.0f, y + 2.0f, x + 2.0f, y - 2.0f, 1.5f);
}
