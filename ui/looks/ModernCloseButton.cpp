#include "ui/looks/ModernCloseButton.h"

#include "ui/looks/ModernLookAndFeel.h"

void ModernCloseButton::paintButton (juce::Graphics& g, bool shouldDrawButtonAsHighlighted, bool shouldDrawButtonAsDown)
{
    auto* modern = ModernLookAndFeel::getDefault();
    auto cross = (modern != nullptr && ! modern->isDark()) ? juce::Colours::black : juce::Colours::white;

    if (shouldDrawButtonAsDown)
    {
        g.fillAll (cross.withAlpha ((juce::uint8)0x33));
        cross = cross.darker (0.2f);
    }
    else if (shouldDrawButtonAsHighlighted)
    {
        g.fillAll (cross.withAlpha ((juce::uint8)0x1a));
        cross = cross.brighter (0.2f);
    }

    const float cx = (float)getWidth() * 0.5f, cy = (float)getHeight() * 0.5f;
    g.setColour (cross);
    g.drawLine (cx - 5.0f, cy - 5.0f, cx + 5.0f, cy + 5.0f, 2.0f);
    g.drawLine (cx - 5.0f, cy + 5.0f, cx + 5.0f, cy - 5.0f, 2.0f);
}
