#include "ui/looks/VintageCloseButton.h"

void VintageCloseButton::paintButton (juce::Graphics& g, bool shouldDrawButtonAsHighlighted, bool shouldDrawButtonAsDown)
{
    auto cross = juce::Colours::white;

    if (shouldDrawButtonAsDown)
    {
        g.fillAll (juce::Colours::white.withAlpha ((juce::uint8)0x33));
        cross = cross.darker (0.2f);
    }
    else if (shouldDrawButtonAsHighlighted)
    {
        g.fillAll (juce::Colours::white.withAlpha ((juce::uint8)0x1a));
        cross = cross.brighter (0.2f);
    }

    const float cx = (float)getWidth() * 0.5f, cy = (float)getHeight() * 0.5f;
    g.setColour (cross);
    g.drawLine (cx - 6.0f, cy - 6.0f, cx + 6.0f, cy + 6.0f, 2.5f);
    g.drawLine (cx - 6.0f, cy + 6.0f, cx + 6.0f, cy - 6.0f, 2.5f);
}
