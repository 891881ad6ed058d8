#include "ui/console/StudioConsoleComponent.h"

#include "engine/TavrelDelayAudioProcessor.h"
#include "ui/looks/ModernLookAndFeel.h"

StudioConsoleComponent::StudioConsoleComponent (TavrelDelayAudioProcessor& processorToShow)
    : processor (processorToShow)
{
    setInterceptsMouseClicks (true, true);
}

StudioConsoleComponent::~StudioConsoleComponent() = default;

void StudioConsoleComponent::refreshAll()
{
}

void StudioConsoleComponent::setMaskingTapeVisible (bool shouldBeVisible)
{
    maskingTapeVisible = shouldBeVisible;
    repaint();
}

void StudioConsoleComponent::showTrackPage (int firstTrack)
{
    firstTrackShown = firstTrack;
    repaint();
}

juce::Rectangle<int> StudioConsoleComponent::getStripBounds (int strip) const
{
    static constexpr int nudge[stripsPerPage] = {-5, -2, 0, 0, 0, 0, 0, 0};
    const int stripsLeft = juce::jmin (getWidth(), 200);
    const int pitch = (getWidth() - stripsLeft) / stripsPerPage;
    return {stripsLeft + pitch * strip + nudge[strip], 0, pitch - 2, getHeight()};
}

void StudioConsoleComponent::paint (juce::Graphics& g)
{
    // Minimal when the application's look is the themable one, in its colours.
    const auto* modern = ModernLookAndFeel::getDefault();
    const auto ink = modern != nullptr ? juce::Colour (modern->cDark) : juce::Colours::white.withAlpha ((juce::uint8) 230);
    const auto well = modern != nullptr ? juce::Colour (modern->isDark() ? 0xff151515 : 0xffecf0f1) : juce::Colours::black;
    const auto slot = modern != nullptr ? juce::Colour (0xffdddddd) : juce::Colour (0xff080808);

    // Master section header and meter box.
    g.setColour (ink);
    g.setFont (juce::Font ("Sans-Serif", 14.0f, juce::Font::bold));
    g.drawText ("MASTER OUTPUT", 15, 10, 150, 20, juce::Justification::centredLeft);
    g.setColour (modern != nullptr ? ink.withAlpha ((juce::uint8) 51) : ink);
    g.fillRect (15, 30, 170, 2);
    g.setColour (well);
    g.fillRoundedRectangle (15.0f, 45.0f, modern != nullptr ? 120.0f : 100.0f, 160.0f, modern != nullptr ? 6.0f : 5.0f);
    if (modern == nullptr)
    {
        g.setColour (juce::Colours::grey.withAlpha ((juce::uint8) 76));
        for (int above : {30, 60, 90, 120})
            g.fillRect (15, 45 + 160 - above, 100, 1);
    }

    // Master fader slot under the editor's master fader.
    const float column = modern != nullptr ? 145.0f : 127.0f;
    const float columnWidth = modern != nullptr ? 54.0f : 44.0f;
    const float slotWidth = modern != nullptr ? 6.0f : 4.0f;
    g.setColour (slot);
    g.fillRoundedRectangle (column + (columnWidth - slotWidth) / 2.0f, 68.0f, slotWidth, 134.0f, 2.0f);

    // Strips: a panel per track with its fader slot and number.
    for (int strip = 0; strip < stripsPerPage; ++strip)
    {
        const auto r = getStripBounds (strip).toFloat();
        const bool inReel = firstTrackShown + strip < processor.numTracks;

        if (modern != nullptr)
        {
            g.setColour (juce::Colour (modern->cStrip));
            g.fillRoundedRectangle (r, 6.0f);
        }
        else
        {
            g.setGradientFill (juce::ColourGradient (juce::Colour (0xff3a3a3c), r.getX(), 0.0f, juce::Colour (0xff262628),
                                                     r.getRight(), 0.0f, false));
            g.fillRoundedRectangle (r, 3.0f);
            g.setColour (juce::Colours::black.withAlpha (0.6f));
            g.drawRoundedRectangle (r.reduced (0.5f), 3.0f, 1.0f);
        }

        g.setColour (slot);
        g.fillRoundedRectangle (r.getCentreX() - 2.0f, r.getBottom() - 300.0f, 4.0f, 220.0f, 2.0f);

        g.setColour (ink.withMultipliedAlpha (inReel ? 0.9f : 0.3f));
        g.setFont (juce::Font ("Sans-Serif", 16.0f, juce::Font::bold));
        g.drawText (juce::String (firstTrackShown + strip + 1), r.withTop (r.getBottom() - 60.0f),
                    juce::Justification::centred);
    }
}
