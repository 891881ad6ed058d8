#include "ui/console/StudioConsoleComponent.h"

#include "engine/TavrelDelayAudioProcessor.h"

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
    // Master section header and meter box.
    g.setColour (juce::Colours::white.withAlpha ((juce::uint8) 230));
    g.setFont (juce::Font ("Sans-Serif", 14.0f, juce::Font::bold));
    g.drawText ("MASTER OUTPUT", 15, 10, 150, 20, juce::Justification::centredLeft);
    g.fillRect (15, 30, 170, 2);
    g.setColour (juce::Colours::black);
    g.fillRoundedRectangle (15.0f, 45.0f, 100.0f, 160.0f, 5.0f);
    g.setColour (juce::Colours::grey.withAlpha ((juce::uint8) 76));
    for (int above : {30, 60, 90, 120})
        g.fillRect (15, 45 + 160 - above, 100, 1);

    // Master fader slot under the editor's master fader.
    g.setColour (juce::Colour (0xff080808));
    g.fillRoundedRectangle (127.0f + 20.0f, 68.0f, 4.0f, 134.0f, 2.0f);

    // Strips: a panel per track with its fader slot and number.
    for (int strip = 0; strip < stripsPerPage; ++strip)
    {
        const auto r = getStripBounds (strip).toFloat();
        const bool inReel = firstTrackShown + strip < processor.numTracks;

        juce::ColourGradient face (juce::Colour (0xff3a3a3c), r.getX(), 0.0f, juce::Colour (0xff262628), r.getRight(),
                                   0.0f, false);
        g.setGradientFill (face);
        g.fillRoundedRectangle (r, 3.0f);
        g.setColour (juce::Colours::black.withAlpha (0.6f));
        g.drawRoundedRectangle (r.reduced (0.5f), 3.0f, 1.0f);

        g.setColour (juce::Colour (0xff080808));
        g.fillRoundedRectangle (r.getCentreX() - 2.0f, r.getBottom() - 300.0f, 4.0f, 220.0f, 2.0f);

        g.setColour (juce::Colours::white.withAlpha (inReel ? 0.85f : 0.25f));
        g.setFont (juce::Font ("Sans-Serif", 16.0f, juce::Font::bold));
        g.drawText (juce::String (firstTrackShown + strip + 1), r.withTop (r.getBottom() - 60.0f),
                    juce::Justification::centred);
    }
}
