#pragma once

#include "app/SafeWindowConstrainer.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>

class TavrelDelayAudioProcessor;

/** The audio device window: the framework's device selector (device type, input and output
    devices, rate, buffer, channels one by one, MIDI inputs and output) on the application's
    device manager. Changes take effect as they are picked; closing the window stores the
    manager's state in "audio_device_settings.xml", which the next start-up reads.

    Made with new; it shows itself and deletes itself when its close button is pressed. */
class SafeAudioSetupWindow : public juce::DocumentWindow
{
public:
    /** minimalUI: the minimal interface is on (the background follows the theme). */
    SafeAudioSetupWindow (TavrelDelayAudioProcessor* processor, juce::LookAndFeel* look, bool minimalUI);
    ~SafeAudioSetupWindow() override;

    /** Stores the set-up, calls onClose, deletes the window. */
    void closeButtonPressed() override;

    /** "audio_device_settings.xml" in the per-user folder. */
    static juce::File getSettingsFile();

    /** The background: the theme's chassis in the minimal interface, dark grey otherwise. */
    static juce::Colour backgroundFor (juce::LookAndFeel* look, bool minimalUI);

    TavrelDelayAudioProcessor* processor = nullptr;
    std::function<void()> onClose;
    SafeWindowConstrainer constrainer;

    static constexpr const char* title = "Audio Device Settings";
    static constexpr int windowWidth = 500;
    static constexpr int windowHeight = 450;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SafeAudioSetupWindow)
};
