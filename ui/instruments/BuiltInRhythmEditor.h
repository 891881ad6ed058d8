#pragma once

#include "engine/TavrelDelayAudioProcessor.h"
#include "ui/looks/CustomLookAndFeel.h"
#include "ui/looks/MidiGlassPane.h"
#include "ui/looks/RhythmButtonLook.h"
#include "ui/looks/RhythmLCDLook.h"

#include <juce_gui_basics/juce_gui_basics.h>

class RhythmEngine;
class DrumPadsWindow;
class RhythmBreakoutWindow;

/** The front panel of the built-in rhythm machine: pattern choice, the 10 x 16 step matrix, a
    mixer channel per voice (level, tune, length, custom sample) and the master section. It
    writes the slot's RhythmEngine directly on the message thread and copies the engine's values
    back into its controls every 33 ms, so edits from the sequencer window, MIDI and pattern
    loads show here. Opens the slot's sequencer and drum-pad windows (one of each). */
class BuiltInRhythmEditor : public juce::Component,
                            public juce::Slider::Listener,
                            public juce::Timer,
                            public juce::FileDragAndDropTarget
{
public:
    using InstrumentPlugin = TavrelDelayAudioProcessor::InstrumentPlugin;

    static constexpr int designWidth = 1350;
    static constexpr int designHeight = 480;
    static constexpr int numVoices = 10;
    static constexpr int numSteps = 16;
    static constexpr int customPattern = 15;
    static constexpr int timerMilliseconds = 33;

    BuiltInRhythmEditor (TavrelDelayAudioProcessor& processor, InstrumentPlugin* slot);
    ~BuiltInRhythmEditor() override;

    void parentHierarchyChanged() override;
    void lookAndFeelChanged() override;
    void paint (juce::Graphics&) override;
    void paintOverChildren (juce::Graphics&) override;
    void resized() override;

    void sliderValueChanged (juce::Slider*) override;
    void timerCallback() override;

    bool isInterestedInFileDrag (const juce::StringArray& files) override;
    void fileDragEnter (const juce::StringArray& files, int x, int y) override;
    void fileDragMove (const juce::StringArray& files, int x, int y) override;
    void fileDragExit (const juce::StringArray& files) override;
    void filesDropped (const juce::StringArray& files, int x, int y) override;

    /** The sample button's menu: load (file chooser) or clear; shown asynchronously. */
    void showSampleMenu (int voice, juce::Component& sampleButton);
    void handleSampleMenuChoice (int voice, int result);

    /** Reads the file as the voice's sample and swaps it in. The file is decoded before the
        audio lock is taken, so the block callback is held only for the pointer swap. A file
        that cannot be read as audio changes nothing and is reported; a folder or a missing file
        reverts the voice to its synth sound. True when the voice changed. */
    bool loadSample (int voice, const juce::File& file);
    void clearSample (int voice);

    /** The glass pane's click in learn mode: the control under it becomes the learn target. */
    void learnControl (const juce::MouseEvent&);

    /** Every step button set to its cell of the grid, without notification. */
    void refreshStepButtons();

    /** The engine edited, or null (no slot, or a slot of another kind). */
    RhythmEngine* getEngine() const noexcept;

    /** The knobs in caption order: level, tune and length of each voice, then volume, tempo,
        steps and swing. */
    juce::Array<juce::Slider*> getKnobs();

    /** The MIDI-learn target of a component ID of this editor ("INST_2_" + ID). */
    juce::String learnIdFor (const juce::String& componentId) const;

    //==============================================================================
    CustomLookAndFeel customLook;
    RhythmButtonLook buttonLook;
    RhythmLCDLook lcdLook;
    juce::TextButton presetButton;
    juce::String presetName{"Default"};
    TavrelDelayAudioProcessor& processor;
    juce::Image background;
    juce::TextButton learnButton;
    MidiGlassPane glassPane;
    juce::Component::SafePointer<juce::Component> learnTarget;
    bool learnWasArmed = false;
    juce::TextButton padsButton;
    juce::Component::SafePointer<DrumPadsWindow> padsWindow;
    juce::TextButton matrixButton;
    juce::Component::SafePointer<RhythmBreakoutWindow> sequencerWindow;
    int shownStep = -1;
    juce::Slider masterVolumeKnob, tempoKnob, stepsKnob, swingKnob;
    juce::Slider voiceLevelKnobs[numVoices], voiceTuneKnobs[numVoices], voiceLengthKnobs[numVoices];
    juce::TextButton syncButton, playButton, clearButton;
    juce::OwnedArray<juce::TextButton> patternButtons;
    juce::OwnedArray<juce::Label> captionLabels;
    juce::OwnedArray<juce::Label> voiceLabels;
    juce::Rectangle<int> patternArea, matrixArea, mixerArea, masterArea;
    juce::OwnedArray<juce::TextButton> stepButtons;
    juce::OwnedArray<juce::TextButton> sampleButtons;
    int dropVoice = -1;
    InstrumentPlugin* slot = nullptr;
    bool isClosing = false;

private:
    static juce::Image loadBackground();
    void createControls (RhythmEngine& engine);
    void setUpKnob (juce::Slider& knob, double min, double max, double interval, bool hasTextBox,
                    const juce::String& caption, double value);
    void applyEngineValue (juce::Slider& knob, double value);
    float readEngineValue (const juce::Slider& knob) const;
    void patternClicked (int pattern);
    void stepClicked (int row, int step);
    void clearClicked();
    void learnClicked();
    void openSequencer();
    void openPads();
    void launchSampleChooser (int voice);
    void reportUnreadableSample (const juce::File& file);
    void markUnsaved();

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (BuiltInRhythmEditor)
};
