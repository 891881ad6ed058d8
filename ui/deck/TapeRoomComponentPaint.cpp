#include "ui/deck/TapeRoomComponent.h"

namespace
{
const juce::Colour cream (0xffd0c0b0);
const juce::Colour panelColour (0xff1e1e1e);

juce::Colour whiteAt (juce::uint8 alpha)
{
    return juce::Colours::white.withAlpha (alpha);
}

juce::Font sans (float height, bool bold)
{
    return juce::Font ("Sans-Serif", height, bold ? juce::Font::bold : juce::Font::plain);
}

/** The row's date: whole while it fits, else only the day ("Dec 11, 2026"); the panel beside
    the list shows the time as well. */
juce::String fitDate (const juce::String& dateText, const juce::Font& font, int width)
{
    if (font.getStringWidth (dateText) <= width)
        return dateText;

    return dateText.upToFirstOccurrenceOf ("  -  ", false, false);
}
} // namespace

void TapeRoomComponent::paint (juce::Graphics& g)
{
    const int w = getWidth();
    const int h = getHeight();

    g.setColour (panelColour);
    g.fillRect (sidebarWidth, 0, w - sidebarWidth, h);
    g.setColour (juce::Colour (0xff181818));
    g.fillRect (0, 0, sidebarWidth, h);

    if (h > 0)
    {
        g.setColour (juce::Colour (0x99000000));
        g.drawVerticalLine (sidebarWidth, 0.0f, (float) h);
        g.setColour (whiteAt (0x0a));
        g.drawVerticalLine (sidebarWidth + 1, 0.0f, (float) h);
    }

    g.setColour (whiteAt (0xe6));
    g.setFont (sans (16.0f, true));
    g.drawText ("PROJECT ARCHIVE", 25, 25, 270, 30, juce::Justification::centredLeft, true);

    const juce::Rectangle<int> panel (sidebarWidth + 2, 0, w - sidebarWidth - 2, h);
    paintPanelBackdrop (g, panel);

    // Two faint rings: the outline of a reel, cut by the right edge.
    {
        const float size = 0.9f * (float) h;
        const juce::Rectangle<float> outer ((float) panel.getRight() - 0.45f * size,
                                            (float) (panel.getY() + h / 2) - size / 2.0f, size, size);
        g.setColour (whiteAt (0x04));
        g.drawEllipse (outer, 12.0f);
        g.drawEllipse (outer.getX() + size / 4.0f, outer.getY() + size / 4.0f, size / 2.0f, size / 2.0f, 4.0f);
    }

    if (const auto* row = getSelectedRow())
    {
        paintSelectedTape (g, *row, panel);
        return;
    }

    g.setColour (whiteAt (0x1a));
    g.setFont (sans (20.0f, false));
    g.drawText ("SELECT A TAPE", panel, juce::Justification::centred, true);
}

void TapeRoomComponent::paintPanelBackdrop (juce::Graphics& g, juce::Rectangle<int> panel)
{
    if (! backdrop.isValid() || panel.isEmpty())
        return;

    // The shelves of the library behind the panel, dimmed most where the details are written
    // and least towards the bottom right, where the room shows through.
    const auto area = panel.toFloat();
    juce::Graphics::ScopedSaveState state (g);
    g.reduceClipRegion (panel);
    g.setOpacity (0.55f);
    g.drawImage (backdrop, area, juce::RectanglePlacement::xRight | juce::RectanglePlacement::yTop
                                     | juce::RectanglePlacement::fillDestination);
    g.setOpacity (1.0f);

    juce::ColourGradient veil (panelColour.withAlpha (0.93f), area.getX(), area.getY(), panelColour.withAlpha (0.55f),
                               area.getRight(), area.getBottom(), false);
    veil.addColour (0.45, panelColour.withAlpha (0.85f));
    g.setGradientFill (veil);
    g.fillRect (area);
}

void TapeRoomComponent::paintSelectedTape (juce::Graphics& g, const ReelInfo& row, juce::Rectangle<int> panel)
{
    const int x0 = panel.getX() + 60;

    g.setColour (juce::Colours::white);
    g.setFont (sans (42.0f, true));
    g.drawText (row.name, x0, 70, panel.getWidth() - 120, 60, juce::Justification::centredLeft, true);
    g.setColour (whiteAt (0x0d));
    g.fillRect (x0, 140, panel.getWidth() - 120, 1);

    const auto detail = [&] (const juce::String& label, const juce::String& value, int y) {
        g.setColour (whiteAt (0x59));
        g.setFont (sans (11.0f, true));
        g.drawText (label, x0, y, 100, 20, juce::Justification::centredLeft, true);
        g.setColour (whiteAt (0xe6));
        g.setFont (sans (14.0f, false));
        g.drawText (value, x0 + 110, y - 1, panel.getWidth() - 200, 20, juce::Justification::centredLeft, true);
    };
    detail ("FORMAT", row.lengthText + "   |   " + row.trackCountText + "   |   " + row.sampleRateText, 180);
    detail ("MODIFIED", row.dateText, 225);
    detail ("SIZE", row.sizeText, 270);
    detail ("RAM USAGE", row.ramText, 315);

    g.setColour (whiteAt (0x59));
    g.setFont (sans (11.0f, true));
    g.drawText ("LOCATION", x0, 360, 100, 20, juce::Justification::centredLeft, true);
    g.setColour (cream);
    g.setFont (sans (12.0f, false));
    g.drawText (row.folder.getFullPathName(), x0 + 110, 360, panel.getWidth() - 250, 20,
                juce::Justification::centredLeft, true);
}

void TapeRoomComponent::paintListBoxItem (int row, juce::Graphics& g, int width, int height, bool selected)
{
    if (! juce::isPositiveAndBelow (row, rows.size()))
        return;

    const auto& info = rows.getReference (row);
    const int textWidth = juce::jmax (0, width - 50);
    const int textHeight = juce::jmax (0, height - 30);
    const int nameHeight = juce::jmin (24, textHeight);

    if (selected)
    {
        g.fillAll (juce::Colour (0xff2a2a2a));
        g.setColour (cream);
        g.fillRect (0, 0, 3, height);
    }
    else
    {
        g.setColour (whiteAt (0x0a));
        g.fillRect (20, height - 1, width - 40, 1);
    }

    g.setColour (selected ? juce::Colours::white : whiteAt (0xcc));
    g.setFont (sans (16.0f, true));
    g.drawText (info.name, 25, 15, textWidth, nameHeight, juce::Justification::centredLeft, true);

    // The details take the width they need (at most 240); the date gets the rest of the line.
    const auto detailsFont = sans (12.0f, true);
    const auto details = info.lengthText + "  |  " + info.trackCountText + "  |  " + info.sampleRateText;
    const int detailsWidth = juce::jmin (240, textWidth, detailsFont.getStringWidth (details) + 8);

    g.setColour (selected ? cream : juce::Colour (0xff808080));
    g.setFont (detailsFont);
    g.drawText (details, 25, 15 + nameHeight, detailsWidth, textHeight - nameHeight,
                juce::Justification::centredLeft, true);

    const auto dateFont = sans (11.0f, false);
    const int dateWidth = textWidth - detailsWidth;
    g.setColour (whiteAt (selected ? 0x99 : 0x4c));
    g.setFont (dateFont);
    g.drawText (fitDate (info.dateText, dateFont, dateWidth), 25 + detailsWidth, 15 + nameHeight, dateWidth,
                textHeight - nameHeight, juce::Justification::centredRight, true);
}
