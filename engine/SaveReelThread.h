#pragma once

#include <juce_core/juce_core.h>
#include <juce_events/juce_events.h>

#include <atomic>
#include <functional>

class TavrelDelayAudioProcessor;

/** Runs a user save (one slot, or save-as under a new name) away from the message thread, so
    that writing the track files does not block the user interface. The progress window that
    shows it belongs to the editor: it reads getProgress() and getStatusMessage(), and is told
    the result through onComplete.

    One object serves one save. The creator keeps it until onComplete has run. */
class SaveReelThread : public juce::Thread
{
public:
    /** newReelName empty: saveReel (slot); otherwise saveReelAs (newReelName), whatever the
        slot. */
    SaveReelThread (TavrelDelayAudioProcessor& processor, int slot, const juce::String& newReelName);
    ~SaveReelThread() override;

    void run() override;

    /** Called on the message thread once the save has finished, with its result (a failure
        carries the message to show), unless this object was deleted first. May be empty. Set
        before startThread(). */
    std::function<void (juce::Result)> onComplete;

    /** 0 to 1 over the track files, -1 while nothing has been written yet. */
    double getProgress() const;
    juce::String getStatusMessage() const { return "Writing audio to disk..."; }

    /** The result, once isThreadRunning() is false after a start. */
    juce::Result getResult() const;

private:
    /** Takes this save off the processor's count of saves under way, once. */
    void finishCounting();

    TavrelDelayAudioProcessor& processor;
    std::atomic<bool> counted{true};
    const int slot;
    const juce::String newReelName;
    juce::Result result{juce::Result::ok()};
    mutable juce::CriticalSection resultLock;

    JUCE_DECLARE_NON_COPYABLE (SaveReelThread)
    JUCE_DECLARE_WEAK_REFERENCEABLE (SaveReelThread)
};
