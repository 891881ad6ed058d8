#pragma once

#include "ui/panels/SettingsPanelSliderLook.h"

#include <juce_audio_processors/juce_audio_processors.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

class TavrelDelayAudioProcessor;

/** The "METRONOME" page of the settings panel: tempo, click volume, time signature and the
    click's subdivision. Every change goes to the processor at once. */
class ClickTab : public juce::Component
{
public:
    explicit ClickTab (TavrelDelayAudioProcessor& processor);
    ~ClickTab() override;

    void resized() override;

    /** Stores the tempo and signature; a running click is rendered again with the subdivision. */
    void sendTempoToProcessor();

    SettingsPanelSliderLook sliderLook; // before the sliders: it must outlive them
    juce::Slider bpmSlider, volumeSlider;
    juce::ComboBox numeratorBox, denominatorBox, subdivisionBox;
    juce::Label bpmLabel, volumeLabel, signatureLabel;

    /** The item that shows a reel's numerator none of the listed ones matches. */
    static constexpr int otherNumeratorId = 11;

private:
    TavrelDelayAudioProcessor& processor;
    std::unique_ptr<juce::AudioProcessorValueTreeState::SliderAttachment> volumeAttachment;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ClickTab)
};
