#pragma once

#include "engine/TavrelDelayAudioProcessor.h"
#include "ui/looks/RhythmButtonLook.h"

#include <juce_gui_basics/juce_gui_basics.h>

class RhythmEngine;

/** The rhythm machine's step matrix drawn large, for the sequencer window: ten rows of 16 steps
    that write the slot engine's grid, "CLEAR", and the playing-step highlight. Follows the grid
    every 33 ms, so edits in the editor and pattern loads show here. */
class RhythmBreakoutComponent : public juce::Component, public juce::Timer
{
public:
    using InstrumentPlugin = TavrelDelayAudioProcessor::InstrumentPlugin;

    static constexpr int numVoices = 10;
    static constexpr int numSteps = 16;

    RhythmBreakoutComponent (TavrelDelayAudioProcessor& processor, InstrumentPlugin* slot);
    ~RhythmBreakoutComponent() override;

    void parentHierarchyChanged() override;
    void lookAndFeelChanged() override;
    void paint (juce::Graphics&) override;
    void paintOverChildren (juce::Graphics&) override;
    void resized() override;
    void timerCallback() override;

    RhythmEngine* getEngine() const noexcept;

    TavrelDelayAudioProcessor* processor = nullptr;
    InstrumentPlugin* slot = nullptr;
    juce::OwnedArray<juce::TextButton> stepButtons;
    juce::OwnedArray<juce::Label> voiceLabels;
    juce::TextButton clearButton;
    RhythmButtonLook buttonLook;
    int shownStep = -1;

private:
    void stepClicked (int row, int step);
    void clearClicked();

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (RhythmBreakoutComponent)
};
