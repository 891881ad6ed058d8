#include "rack/PluginListRow.h"

#include "rack/PluginManagerWindow.h"

PluginListRow::PluginListRow (PluginManagerEntry* entryToShow) : entry (entryToShow) {}

void PluginListRow::paint (juce::Graphics& g)
{
    if (entry == nullptr)
        return;

    const int w = getWidth();
    const int h = getHeight();
    g.fillAll (juce::Colour (entry->selected ? 0xff444444u : 0xff222222u));

    // Tick box: green for a plug-in already known, orange for a file still to scan.
    const auto box = juce::Rectangle<int> (0, 0, 30, h).reduced (8);
    g.setColour (juce::Colours::black);
    g.fillRect (box);
    g.setColour (juce::Colour (0xff808080));
    g.drawRect (box, 1);
    if (entry->selected)
    {
        g.setColour (juce::Colour (entry->isKnown ? 0xff90ee90u : 0xffffa500u));
        g.fillRect (box.reduced (2));
    }

    const juce::Font nameFont (14.0f);
    const int nameWidth = juce::jmin (nameFont.getStringWidth (entry->name) + 10, 180, juce::jmax (0, w - 30));
    g.setColour (juce::Colours::white);
    g.setFont (nameFont);
    g.drawText (entry->name, 30, 0, nameWidth, h, juce::Justification::centredLeft, true);

    int x = 30 + nameWidth;
    const int badgeColumn = juce::jmin (36, juce::jmax (0, w - x));
    const auto badge = juce::Rectangle<float> (32.0f, 16.0f)
                           .withCentre ({(float)x + (float)badgeColumn * 0.5f, (float)h * 0.5f});
    g.setColour (juce::Colour (entry->format == "AU" ? 0xff2980b9u : 0xffd35400u));
    g.fillRoundedRectangle (badge, 4.0f);
    g.setColour (juce::Colours::white.withAlpha ((juce::uint8)230));
    g.setFont (juce::Font ("sans-serif", 10.0f, juce::Font::bold));
    g.drawText (entry->format, badge, juce::Justification::centred, false);
    x += badgeColumn;

    x += juce::jmin (10, juce::jmax (0, w - x));
    g.setColour (juce::Colour (0xff808080));
    g.setFont (juce::Font (12.0f));
    g.drawText (entry->manufacturer, x, 0, juce::jmax (0, w - x), h, juce::Justification::centredLeft, true);

    g.setColour (juce::Colours::white.withAlpha ((juce::uint8)26));
    g.fillRect (0, h - 1, w, 1);
}

void PluginListRow::mouseDown (const juce::MouseEvent& event)
{
    if (onClick)
        onClick (event);
}
