#include "ui/panels/SettingsPanel.h"

#include "ui/deck/TavrelDelayAudioProcessorEditor.h"
#include "ui/looks/ModernLookAndFeel.h"
#include "ui/panels/AudioTab.h"
#include "ui/panels/ClickTab.h"
#include "ui/panels/SettingsPanelTexts.h"
#include "ui/panels/ShortcutsTab.h"
#include "ui/panels/SystemTab.h"

namespace T = SettingsPanelTexts;

SettingsPanel::SettingsPanel (TavrelDelayAudioProcessor& processor, TavrelDelayAudioProcessorEditor& editor,
                              std::function<void()> onCloseToUse, int initialTab)
    : onClose (std::move (onCloseToUse))
{
    const bool minimal = editor.useModernUI;
    auto& look = editor.getLookAndFeel(); // the editor's own, a parent's, or the default

    juce::Colour tabColour (0xff181818);
    if (minimal)
    {
        auto* modern = dynamic_cast<ModernLookAndFeel*> (&look);
        tabColour = modern != nullptr ? juce::Colour (modern->cChassis1) : juce::Colour (0xfff8f9fa);
    }
    else
    {
        tabs.setLookAndFeel (&tabLook);
    }

    tabs.addTab (T::audioTab, tabColour, new AudioTab (processor, look, minimal), true);
    tabs.addTab (T::clickTab, tabColour, new ClickTab (processor), true);
    tabs.addTab (T::systemTab, tabColour, new SystemTab (processor), true);
    tabs.addTab (T::shortcutsTab, tabColour, new ShortcutsTab (editor), true);

    // The bar shows its first tab as soon as it has one; an index out of range shows none.
    tabs.setCurrentTabIndex (juce::isPositiveAndBelow (initialTab, tabs.getNumTabs()) ? initialTab : -1, false);
    addAndMakeVisible (tabs);

    closeButton.setButtonText (T::closeButton);
    closeButton.onClick = [this]
    {
        if (onClose)
            onClose();
    };
    if (! minimal)
    {
        closeButton.setColour (juce::TextButton::buttonColourId, juce::Colour (0xffd0c0b0));
        closeButton.setColour (juce::TextButton::textColourOffId, juce::Colours::black);
        closeButton.setLookAndFeel (&buttonLook);
    }
    addAndMakeVisible (closeButton);

    setSize (500, 550);
}

SettingsPanel::~SettingsPanel()
{
    // The pages go with the tabs, before the looks they may use.
    tabs.clearTabs();
    tabs.setLookAndFeel (nullptr);
    closeButton.setLookAndFeel (nullptr);
}

void SettingsPanel::paint (juce::Graphics& g)
{
    if (auto* modern = ModernLookAndFeel::getDefault())
    {
        g.fillAll (juce::Colour (modern->cChassis1));
        g.setColour (juce::Colour (modern->cDark).withAlpha (0.2f));
    }
    else
    {
        g.fillAll (juce::Colour (0xff181818));
        g.setColour (juce::Colours::white.withAlpha (0.1f));
    }
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
