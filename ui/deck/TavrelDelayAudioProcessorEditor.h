#pragma once

#include <juce_audio_processors/juce_audio_processors.h>
#include <juce_gui_basics/juce_gui_basics.h>

class TavrelDelayAudioProcessor;

/** The processor's editor, the content of the main window. For now an empty deck with the
    program's name; the tape deck, the console and the tape room are built into it later. */
class TavrelDelayAudioProcessorEditor : public juce::AudioProcessorEditor
{
public:
    explicit TavrelDelayAudioProcessorEditor (TavrelDelayAudioProcessor& processorToEdit);
    ~TavrelDelayAudioProcessorEditor() override;

    void paint (juce::Graphics& g) override;

    /** Closes every separate window the editor opened (insert, plug-in, instrument and tool
        windows), before a quit or before the editor is replaced. */
    void closeAllSecondaryWindows();

    TavrelDelayAudioProcessor& audioProcessor;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (TavrelDelayAudioProcessorEditor)
};
