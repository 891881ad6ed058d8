#include "ui/panels/SettingsPanel.h"

namespace
{
/** A page not built yet: its name in the middle. */
struct PendingPage : public juce::Component
{
    explicit PendingPage (const juce::String& title) { setName (title); }

    void paint (juce::Graphics& g) override
    {
        g.setColour (juce::Colours::white.withAlpha (0.3f));
        g.setFont (juce::Font ("Sans-Serif", 14.0f, juce::Font::bold));
        g.drawText (getName(), getLocalBounds(), juce::Justification::centred);
    }
};
} // namespace

SettingsPanel::SettingsPanel (TavrelDelayAudioProcessor&, TavrelDelayAudioProcessorEditor&,
                              std::function<void()> onCloseToUse, int initialTab)
    : onClose (std::move (onCloseToUse))
{
    const juce::Colour tabColour (0xff181818);
    for (const auto* title : {"AUDIO / MIDI", "METRONOME", "SYSTEM", "SHORTCUTS"})
        tabs.addTab (title, tabColour, new PendingPage (title), true);

    if (juce::isPositiveAndBelow (initialTab, tabs.getNumTabs()))
        tabs.setCurrentTabIndex (initialTab, false);
    addAndMakeVisible (tabs);

    closeButton.setButtonText ("CLOSE SETTINGS");
    closeButton.onClick = [this] {
        if (onClose)
            onClose();
    };
    closeButton.setColour (juce::TextButton::buttonColourId, juce::Colour (0xffd0c0b0));
    closeButton.setColour (juce::TextButton::textColourOffId, juce::Colours::black);
    addAndMakeVisible (closeButton);

    setSize (500, 550);
}

SettingsPanel::~SettingsPanel() = default;

void SettingsPanel::paint (juce::Graphics& g)
{
    g.fillAll (juce::Colour (0xff181818));
    g.setColour (juce::Colours::white.withAlpha (0.1f));
    g.drawRect (getLocalBounds(), 1);
}

void SettingsPanel::resized()
{
    const int w = getWidth();
    const int h = getHeight();
    const int b = juce::jmin (50, h);
    closeButton.setBounds (10, h - b + 10, juce::jmax (0, w - 20), juce::jmax (0, b - 20));
    tabs.setBounds (10, 10, juce::jmax (0, w - 20), juce::jmax (0, h - b - 20));
}
