#pragma once

#include "ui/looks/MarlixButtonLook.h"

#include <juce_audio_devices/juce_audio_devices.h>
#include <juce_gui_basics/juce_gui_basics.h>

class TavrelDelayAudioProcessor;

/** The "AUDIO / MIDI" page of the settings panel: what the audio device runs at, polled every
    500 ms, and the button that opens the audio device window. */
class AudioTab : public juce::Component, private juce::Timer
{
public:
    AudioTab (TavrelDelayAudioProcessor& processor, juce::LookAndFeel& look, bool minimalUI);
    ~AudioTab() override;

    void resized() override;

    /** Shows describeDevice of the processor's device manager; the label changes (and repaints)
        only when the text does. */
    void updateDeviceStatus();

    /** Four lines (input, output, rate, buffer with its latency) of the manager's current
        set-up, or "No Audio Device Open." without a manager or an open device. */
    static juce::String describeDevice (juce::AudioDeviceManager* manager);

    /** Sets the label's text without notification, centred, and shows it on the page. */
    void addCentredLabel (juce::Label& label, const juce::String& text);

    juce::Label statusHeader, statusText, warning;
    juce::TextButton configureButton;

private:
    void timerCallback() override;

    TavrelDelayAudioProcessor& processor;
    juce::LookAndFeel& look;
    bool minimalUI = false;
    MarlixButtonLook buttonLook;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (AudioTab)
};
