#pragma once

#include "app/SafeWindowConstrainer.h"
#include "engine/TavrelDelayAudioProcessor.h"
#include "platform/ProgramWindows.h"

#include <juce_gui_basics/juce_gui_basics.h>

class RhythmBreakoutComponent;

/** "Pulsaro Sequencer": the rhythm machine's step matrix in a window of its own, kept at 11:7.
    Deletes itself when closed; Escape closes it. Its size is remembered for the run. */
class RhythmBreakoutWindow : public juce::DocumentWindow
{
public:
    using InstrumentPlugin = TavrelDelayAudioProcessor::InstrumentPlugin;

    RhythmBreakoutWindow (TavrelDelayAudioProcessor& processor, InstrumentPlugin* slot);
    ~RhythmBreakoutWindow() override;

    void resized() override;
    bool keyPressed (const juce::KeyPress&) override;
    void closeButtonPressed() override;

    RhythmBreakoutComponent* getBreakout() const;

    /** The size the next sequencer window opens at: the last one's, 1100 x 700 at first. */
    static juce::Rectangle<int> lastSequencerSize;

    /** The shared opening of the rhythm machine's windows: title bar, size from memory (clipped
        to the main display), the bounds constrainer at the given aspect ratio, always on top,
        shown, keyboard focus to the content. */
    static void openBreakoutWindow (juce::DocumentWindow& window, SafeWindowConstrainer& constrainer,
                                    juce::Rectangle<int> size, juce::Rectangle<int> minSize, double aspectRatio);

    SafeWindowConstrainer constrainer;

private:
    ProgramWindows::Registration programWindow{*this};

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (RhythmBreakoutWindow)
};
