#pragma once

#include "engine/SaveReelThread.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>

class TavrelDelayAudioProcessor;

/** A user save of the open reel on its own thread (SaveReelThread) behind the modal progress
    window "Saving Reel...", which shows how far the track files are. Create it with new and
    launch it; when the save has finished it calls onFinished on the message thread with the
    save's result and deletes itself. */
class SaveReelProgress : public juce::ThreadWithProgressWindow
{
public:
    SaveReelProgress (TavrelDelayAudioProcessor& processor, int slot, const juce::String& newReelName,
                      std::function<void (juce::Result)> onFinished);
    ~SaveReelProgress() override;

    void run() override;
    void threadComplete (bool userPressedCancel) override;

    static constexpr const char* windowTitle = "Saving Reel...";

private:
    SaveReelThread save;
    std::function<void (juce::Result)> onFinished;

    JUCE_DECLARE_NON_COPYABLE (SaveReelProgress)
};
