#pragma once

#include "ui/looks/MarlixButtonLook.h"
#include "ui/panels/MarlixTabLook.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>

class TavrelDelayAudioProcessor;
class TavrelDelayAudioProcessorEditor;

/** The settings overlay of the deck: four tabbed pages (audio device, metronome, system,
    shortcuts) and a close button. The editor adds it to its deck panel as "settings_panel",
    centres it at 500 x 700 and deletes it when it closes. */
class SettingsPanel : public juce::Component
{
public:
    /** initialTab: 0 "AUDIO / MIDI" .. 3 "SHORTCUTS"; any other index selects no page. */
    SettingsPanel (TavrelDelayAudioProcessor& processor, TavrelDelayAudioProcessorEditor& editor,
                   std::function<void()> onClose, int initialTab);
    ~SettingsPanel() override;

    void paint (juce::Graphics& g) override;
    void resized() override;

    // The looks go last, after the controls that use them.
    MarlixButtonLook buttonLook;
    MarlixTabLook tabLook;

    std::function<void()> onClose;
    juce::TabbedComponent tabs{juce::TabbedButtonBar::TabsAtTop};
    juce::TextButton closeButton;

    static constexpr int shownWidth = 500;
    static constexpr int shownHeight = 700;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SettingsPanel)
};
