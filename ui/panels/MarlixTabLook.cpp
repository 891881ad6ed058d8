#include "ui/panels/MarlixTabLook.h"

void MarlixTabLook::drawTabButton (juce::TabBarButton& button, juce::Graphics& g, bool, bool)
{
    const auto area = button.getActiveArea().toFloat();
    const bool front = button.getToggleState();

    // 10 px more than the tab, so the lower corners hide under the page.
    g.setColour (juce::Colour (front ? frontColour : backColour));
    g.fillRoundedRectangle (area.getX(), area.getY(), area.getWidth(), area.getHeight() + 10.0f, 6.0f);

    g.setColour (juce::Colours::white.withAlpha (0.1f));
    g.drawRoundedRectangle (area.getX() + 1.0f, area.getY() + 1.0f, area.getWidth() - 2.0f, area.getHeight() + 10.0f,
                            6.0f, 1.0f);

    g.setColour (front ? juce::Colours::black : juce::Colour (0xff808080));
    g.setFont (juce::Font (juce::Font::getDefaultSansSerifFontName(), 14.0f, juce::Font::bold));
    g.drawText (button.getButtonText(), button.getActiveArea(), juce::Justification::centred, false);
}

void MarlixTabLook::fillTabButtonShape (juce::TabBarButton&, juce::Graphics&, const juce::Path&, bool, bool)
{
}
