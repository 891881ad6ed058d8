#include "ui/panels/AboutPanel.h"

#include "app/AppTexts.h"
#include "ui/looks/ModernLookAndFeel.h"

namespace
{
void styleButton (juce::TextButton& button, MarlixButtonLook& look)
{
    button.setColour (juce::TextButton::buttonColourId, juce::Colour (0xffd0c0b0));
    button.setColour (juce::TextButton::buttonOnColourId, juce::Colour (0xffb0a090));
    button.setColour (juce::TextButton::textColourOffId, juce::Colours::black);
    button.setColour (juce::TextButton::textColourOnId, juce::Colours::black);
    button.setLookAndFeel (&look);
}
} // namespace

AboutPanel::AboutPanel (std::function<void()> closeCallback) : onClose (std::move (closeCallback))
{
    webButton.setButtonText (juce::String ("VISIT ") + webDomain);
    styleButton (webButton, buttonLook);
    webButton.onClick = [] { juce::URL (webAddress).launchInDefaultBrowser(); };
    addAndMakeVisible (webButton);

    closeButton.setButtonText ("CLOSE");
    styleButton (closeButton, buttonLook);
    closeButton.onClick = [this]
    {
        // The callback deletes this panel: nothing of it is touched afterwards.
        if (auto callback = onClose)
            callback();
    };
    addAndMakeVisible (closeButton);

    setSize (400, 380);
}

AboutPanel::~AboutPanel()
{
    webButton.setLookAndFeel (nullptr);
    closeButton.setLookAndFeel (nullptr);
}

juce::String AboutPanel::getBodyText()
{
    return juce::String ("Version ") + AppTexts::applicationVersion + "\n\n" + "Developed by Ilse Marwood\n" +
           "Hebden Bridge, West Yorkshire\n\n" +
           "Limits, chosen with care, make you decide. A fixed number of tracks and a reel that runs out "
           "bring back intention, and with it a fresh kind of creativity. This is a love letter to the "
           "sound of tape in all its formats.\n\n" +
           "Soundtrack & Audio Testing provided by:\n" + "The Lantern Orchard & Okuma Delphine\n\n" +
           "Thank you for supporting independent audio software!";
}

void AboutPanel::paint (juce::Graphics& g)
{
    const auto w = (float)getWidth();
    const auto h = (float)getHeight();
    const auto* modern = ModernLookAndFeel::getDefault();

    const auto dark = modern != nullptr ? juce::Colour (modern->cDark) : juce::Colours::white;

    g.setColour (juce::Colours::black.withAlpha ((juce::uint8) (modern != nullptr ? 0x1a : 0x80)));
    g.fillRoundedRectangle (
        modern != nullptr ? juce::Rectangle<float> (0, 4, w, h) : juce::Rectangle<float> (4, 4, w, h), 6.0f);

    g.setColour (modern != nullptr ? juce::Colour (modern->cChassis1) : juce::Colour (0xff2b2b2b));
    g.fillRoundedRectangle (0, 0, w, h, 6.0f);

    g.setColour (modern != nullptr ? dark.withAlpha ((juce::uint8)0x33)
                                   : juce::Colours::white.withAlpha ((juce::uint8)0x1a));
    g.drawRoundedRectangle (0, 0, w, h, 6.0f, 1.0f);

    g.setColour (modern != nullptr ? dark : juce::Colour (0xffe6e6e6));
    g.setFont (juce::Font ("sans-serif", modern != nullptr ? 16.0f : 18.0f, juce::Font::bold));
    g.drawText ("ABOUT DRAVIN 8", juce::Rectangle<int> (0, 15, getWidth(), 25), juce::Justification::centred);

    g.setColour (modern != nullptr ? dark.withAlpha ((juce::uint8)0x33)
                                   : juce::Colours::black.withAlpha ((juce::uint8)0x4c));
    g.fillRect (juce::Rectangle<int> (20, 45, getWidth() - 40, 1));

    g.setColour (modern != nullptr ? dark.withAlpha ((juce::uint8)0xd9)
                                   : juce::Colours::white.withAlpha ((juce::uint8)0xd9));
    g.setFont (juce::Font ("sans-serif", 14.0f, juce::Font::plain));
    g.drawFittedText (getBodyText(), juce::Rectangle<int> (30, 65, getWidth() - 60, 200), juce::Justification::centred,
                      12);
}

void AboutPanel::resized()
{
    const int x = (getWidth() - 280) / 2;
    webButton.setBounds (x, getHeight() - 100, 280, 30);
    closeButton.setBounds (x, getHeight() - 55, 280, 30);
}
