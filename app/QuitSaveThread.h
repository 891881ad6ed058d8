#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>

class TavrelDelayAudioProcessor;

/** The save before quitting: the open reel's main save on its own thread behind the progress
    window "Saving before quit..." (an endless bar, no cancel button). Create it with new and
    launch it; it deletes itself when the save has finished, then calls onFinished on the
    message thread with the save's result. */
class QuitSaveThread : public juce::ThreadWithProgressWindow
{
public:
    QuitSaveThread (TavrelDelayAudioProcessor& processor, std::function<void (juce::Result)> onFinished);

    void run() override;
    void threadComplete (bool userPressedCancel) override;

    /** The save's result, once the thread has run. */
    juce::Result getResult() const { return result; }

    TavrelDelayAudioProcessor* processor;

private:
    std::function<void (juce::Result)> onFinished;
    juce::Result result{juce::Result::ok()};

    JUCE_DECLARE_NON_COPYABLE (QuitSaveThread)
};
