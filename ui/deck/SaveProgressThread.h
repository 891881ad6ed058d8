#pragma once

#include "ui/deck/ProgressWindowThread.h"

#include <functional>

class TavrelDelayAudioProcessor;

/** A user save (one slot, or save-as under a new name) on a worker thread behind the window
    "Saving Reel...": the interface stays responsive while the track files are written. The bar
    runs endlessly until the first track file is written, then follows the save. There is no
    Cancel: a save is never cut off half way.

    Create it with new, set onComplete and launch it; it deletes itself when done, after calling
    onComplete with the save's result (a failure carries the message for the user). */
class SaveProgressThread : public ProgressWindowThread
{
public:
    /** newReelName empty: saveReel (slot); otherwise saveReelAs (newReelName), whatever the slot. */
    SaveProgressThread (TavrelDelayAudioProcessor& processor, int slot, const juce::String& newReelName,
                        juce::Component* componentToCentreAround = nullptr);
    ~SaveProgressThread() override;

    void run() override;
    void threadComplete (bool userPressedCancel) override;

    std::function<void (juce::Result)> onComplete;

    static constexpr const char* title = "Saving Reel...";
    static constexpr const char* status = "Writing audio to disk...";

private:
    struct ProgressFollower : public juce::Timer
    {
        explicit ProgressFollower (SaveProgressThread& o) : owner (o) {}
        void timerCallback() override;
        SaveProgressThread& owner;
    };

    TavrelDelayAudioProcessor& processor;
    const int slot;
    const juce::String newReelName;
    ProgressFollower follower{*this};
    juce::Result result{juce::Result::ok()};

    JUCE_DECLARE_NON_COPYABLE (SaveProgressThread)
};
