#pragma once

#include "app/SafeWindowConstrainer.h"
#include "engine/TavrelDelayAudioProcessor.h"
#include "platform/ProgramWindows.h"

#include <juce_gui_basics/juce_gui_basics.h>

class DrumPadsComponent;

/** "Pulsaro Drum Pads": the rhythm machine's ten pads in a window of their own, kept at 16:7.
    Deletes itself when closed; Escape closes it. Its size is remembered for the run. */
class DrumPadsWindow : public juce::DocumentWindow
{
public:
    using InstrumentPlugin = TavrelDelayAudioProcessor::InstrumentPlugin;

    DrumPadsWindow (TavrelDelayAudioProcessor& processor, InstrumentPlugin* slot);
    ~DrumPadsWindow() override;

    void resized() override;
    bool keyPressed (const juce::KeyPress&) override;
    void closeButtonPressed() override;

    DrumPadsComponent* getPads() const;

    /** The size the next pad window opens at: the last one's, 800 x 350 at first. */
    static juce::Rectangle<int> lastPadsSize;

    SafeWindowConstrainer constrainer;

private:
    ProgramWindows::Registration programWindow{*this};

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (DrumPadsWindow)
};
