#include "ui/deck/DeckLayout.h"
#include "ui/deck/TavrelDelayAudioProcessorEditor.h"

void TavrelDelayAudioProcessorEditor::paint (juce::Graphics& g)
{
    if (tapeRoomShowing)
    {
        g.fillAll (juce::Colour (0xff1a1a1a));
        return;
    }

    // The cabinet behind the deck, then the deck's artwork in its scaled rectangle.
    g.setGradientFill (juce::ColourGradient::vertical (juce::Colour (0xffc0c0c0), 0.0f, juce::Colour (0xff555555),
                                                       (float) getHeight()));
    g.fillAll();

    const auto fit = DeckLayout::fitInto (getWidth(), getHeight());
    const juce::Rectangle<float> deck (fit.offsetX, fit.offsetY, DeckLayout::designWidth * fit.scale,
                                       DeckLayout::designHeight * fit.scale);

    if (deckArtwork.isValid())
        g.drawImage (deckArtwork, deck, juce::RectanglePlacement::stretchToFit);
}
