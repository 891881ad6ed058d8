#pragma once

#include "ui/looks/MarlixButtonLook.h"

#include "ui/panels/SettingsPanelSliderLook.h"

#include <juce_audio_processors/juce_audio_processors.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <array>
#include <memory>
#include <vector>

class TavrelDelayAudioProcessor;

/** The "SYSTEM" page of the settings panel: driver offset, auto-save interval, eleven on/off
    parameters, the library folder and the loopback calibration. Two switches (momentary wind
    and auto-disarm) are app-wide and also go to "global_settings.xml". */
class SystemTab : public juce::Component, private juce::AudioProcessorParameter::Listener
{
public:
    explicit SystemTab (TavrelDelayAudioProcessor& processor);
    ~SystemTab() override;

    void resized() override;

    /** Configures one toggle (text, colours, look) and binds it to the parameter, when the tree
        has it. */
    void attachToggle (juce::TextButton& button, const juce::String& text, const juce::String& parameterId);

    /** Writes momentaryTransport and then disableAutoDisarm from the toggles' states. */
    void saveGlobalSettings();

    /** The folder chooser's completion. */
    void changeLibraryFolder (const juce::FileChooser& chooser);
    /** Makes folder the library root and says so; anything but an existing folder does nothing. */
    void applyLibraryFolder (const juce::File& folder);

    /** Asks to connect output 1 to input 1, then starts the measurement on "START". */
    void runAutoCalibration();

    /** Parameter ID and text of each toggle, in their order on the page. */
    struct ToggleSpec
    {
        const char* parameterId;
        const char* text;
    };
    static const std::array<ToggleSpec, 11> toggleSpecs;
    static constexpr int autoDisarmToggle = 8;
    static constexpr int momentaryToggle = 9;

    SettingsPanelSliderLook sliderLook; // before the sliders: it must outlive them
    juce::Label offsetLabel, autoSaveLabel;
    juce::Slider offsetSlider;
    juce::ComboBox autoSaveBox;
    std::array<juce::TextButton, 11> toggles;
    juce::TextButton calibrateButton, libraryButton;
    std::unique_ptr<juce::FileChooser> libraryChooser;

private:
    // The attachments set the toggles, with a click, also when the parameter changed elsewhere
    // (a reel load, MIDI, the menu). Only a change the user made on the page (a gesture of the
    // attachment) may write the app-wide file, or a reel's stored switch would overwrite it.
    void parameterValueChanged (int, float) override {}
    void parameterGestureChanged (int, bool gestureIsStarting) override;
    void appWideToggleClicked();

    bool userGestureSeen = false;
    TavrelDelayAudioProcessor& processor;
    MarlixButtonLook buttonLook;
    std::unique_ptr<juce::AudioProcessorValueTreeState::SliderAttachment> offsetAttachment;
    std::unique_ptr<juce::AudioProcessorValueTreeState::ComboBoxAttachment> autoSaveAttachment;
    std::vector<std::unique_ptr<juce::AudioProcessorValueTreeState::ButtonAttachment>> toggleAttachments;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SystemTab)
};
