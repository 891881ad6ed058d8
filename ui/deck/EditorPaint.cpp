#include "ui/deck/DeckLayout.h"
#include "ui/deck/TavrelDelayAudioProcessorEditor.h"

namespace
{
/** Draws the backdrop behind the tape room: the picture covering the editor, darkened towards
    the corners. */
void drawTapeRoomBackground (juce::Graphics& g, const juce::Image& backdrop, juce::Rectangle<float> area)
{
    if (! backdrop.isValid())
    {
        g.fillAll (juce::Colour (0xff1a1a1a));
        return;
    }

    g.drawImage (backdrop, area, juce::RectanglePlacement::centred | juce::RectanglePlacement::fillDestination);
    g.setGradientFill (juce::ColourGradient (juce::Colours::transparentBlack, area.getCentre(),
                                             juce::Colours::black.withAlpha (0.6f), {}, true));
    g.fillRect (area);
}
} // namespace

void TavrelDelayAudioProcessorEditor::paint (juce::Graphics& g)
{
    // The background is drawn once per size, at the screen's pixel density, and then only copied:
    // the deck repaints many times a second over it.
    const float pixelScale = juce::jmax (0.1f, g.getInternalContext().getPhysicalPixelScaleFactor());
    const int cacheWidth = juce::jmax (1, (int) std::ceil ((float) getWidth() * pixelScale));
    const int cacheHeight = juce::jmax (1, (int) std::ceil ((float) getHeight() * pixelScale));

    if (! backgroundCache.isValid() || backgroundCache.getWidth() != cacheWidth
        || backgroundCache.getHeight() != cacheHeight)
    {
        backgroundCache = juce::Image (juce::Image::ARGB, cacheWidth, cacheHeight, true);
        juce::Graphics cache (backgroundCache);
        cache.addTransform (juce::AffineTransform::scale (pixelScale));
        paintBackground (cache);
    }

    g.drawImage (backgroundCache, getLocalBounds().toFloat());
}

void TavrelDelayAudioProcessorEditor::paintBackground (juce::Graphics& g)
{
    const auto area = getLocalBounds().toFloat();

    if (tapeRoomShowing)
    {
        drawTapeRoomBackground (g, tapeRoomBackdrop, area);
        return;
    }

    const auto fit = DeckLayout::fitInto (getWidth(), getHeight());
    const juce::Rectangle<float> deck (fit.offsetX, fit.offsetY, DeckLayout::designWidth * fit.scale,
                                       DeckLayout::designHeight * fit.scale);

    if (useModernUI)
    {
        // The minimal deck: a rounded chassis in the theme's colours on the theme's background.
        const bool dark = modernLook.isDark();
        g.fillAll (juce::Colour (modernLook.cBg));
        g.setColour (juce::Colours::black.withAlpha (0.1f));
        g.fillRoundedRectangle (deck.translated (0.0f, 8.0f), 16.0f);
        g.setColour (juce::Colours::black.withAlpha (0.05f));
        g.fillRoundedRectangle (deck.translated (0.0f, 3.0f), 12.0f);
        g.setGradientFill (juce::ColourGradient::vertical (juce::Colour (modernLook.cChassis1), deck.getY(),
                                                           juce::Colour (modernLook.cChassis2), deck.getBottom()));
        g.fillRoundedRectangle (deck, 10.0f);
        g.setColour (dark ? juce::Colour (0xff3a3a3a) : juce::Colours::white);
        g.drawRoundedRectangle (deck.reduced (1.0f), 10.0f, 1.5f);
        g.setColour (dark ? juce::Colour (0xff151515) : juce::Colour (0xffd1d8dd));
        g.drawRoundedRectangle (deck, 10.0f, 1.5f);
        return;
    }

    // The skeuomorphic deck: the cabinet behind, the deck's artwork in its scaled rectangle, and
    // the masking tape over the console when it is on.
    g.setGradientFill (juce::ColourGradient::vertical (juce::Colour (0xffc0c0c0), 0.0f, juce::Colour (0xff555555),
                                                       (float) getHeight()));
    g.fillAll();

    if (deckArtwork.isValid())
        g.drawImage (deckArtwork, deck, juce::RectanglePlacement::stretchToFit);
    if (maskingTapeVisible && maskingTapeArtwork.isValid())
        g.drawImage (maskingTapeArtwork, deck, juce::RectanglePlacement::stretchToFit);
}
