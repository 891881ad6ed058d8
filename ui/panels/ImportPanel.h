#pragma once

#include "ui/looks/MarlixButtonLook.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>

class TavrelDelayAudioProcessor;

/** The "IMPORT AUDIO" card laid over the deck for one dropped audio file: the target track (or
    pair of tracks for a file split into its left and right channels), the time on the tape where
    it starts and the drive into the tape head. PRINT TO TAPE records it through a tape head;
    nothing reaches the tape before. The editor adds it as "import_panel" and deletes it through
    onClose. */
class ImportPanel : public juce::Component
{
public:
    ImportPanel (TavrelDelayAudioProcessor& processor, const juce::String& filePath, std::function<void()> onClose);
    ~ImportPanel() override;

    /** Rebuilds the target list for the reel's track count and the import mode, keeping the
        choice where it still exists. */
    void fillTrackList();

    void paint (juce::Graphics& g) override;
    void resized() override;

    /** PRINT TO TAPE: imports the file as chosen, then closes the panel. */
    void printToTape();

    /** Whether the target list offers track pairs (a file of two or more channels, split). */
    bool isPairMode() const;

    /** The insert time's text: minutes and seconds from the tape's beginning. */
    static juce::String timeToText (double seconds);
    static double textToTime (const juce::String& text);

    /** The drive factor for a drive in dB; 0 at or below -100 dB. */
    static float driveFactor (double decibels) noexcept;

    static constexpr const char* title = "IMPORT AUDIO";
    static constexpr int modeMono = 1;
    static constexpr int modeSplit = 2;

    TavrelDelayAudioProcessor& processor;
    const juce::String filePath;
    std::function<void()> onClose;
    juce::Label fileLabel, targetLabel, insertLabel, modeLabel, driveLabel;
    juce::ComboBox targetBox, modeBox;
    juce::Slider insertSlider, driveSlider;
    juce::TextButton printButton, cancelButton;
    MarlixButtonLook buttonLook;
    /** Draws the horizontal sliders in the minimal interface, whose look draws only faders. */
    juce::LookAndFeel_V4 sliderLook;
    int numChannels = 1;

private:
    void close();

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ImportPanel)
};
