#include "engine/SaveReelThread.h"

#include "engine/TavrelDelayAudioProcessor.h"

SaveReelThread::SaveReelThread (TavrelDelayAudioProcessor& p, int slotToSave, const juce::String& name)
    : juce::Thread ("Save Reel"), processor (p), slot (slotToSave), newReelName (name)
{
    // The shared reference is made here, on the creating thread, so that run() only copies it.
    juce::WeakReference<SaveReelThread>{this};

    // Counted from now, not from the thread's start: a quit in between must wait as well.
    ++processor.userSavesUnderWay;
}

SaveReelThread::~SaveReelThread()
{
    // A save is never cut off half way: wait for it.
    stopThread (-1);
    finishCounting();
}

void SaveReelThread::finishCounting()
{
    if (counted.exchange (false))
        --processor.userSavesUnderWay;
}

void SaveReelThread::run()
{
    processor.saveProgress = -1.0;
    const auto saved = newReelName.isNotEmpty() ? processor.saveReelAs (newReelName) : processor.saveReel (slot);

    {
        const juce::ScopedLock sl (resultLock);
        result = saved;
    }

    // The report goes through this object: a creator that deleted it (its window closed) before
    // the message arrives is not called back.
    if (onComplete)
        juce::MessageManager::callAsync (
            [weak = juce::WeakReference<SaveReelThread> (this), saved]
            {
                if (auto* self = weak.get())
                    if (self->onComplete)
                        self->onComplete (saved);
            });

    // The last touch of the processor: after this the program may take it down.
    finishCounting();
}

double SaveReelThread::getProgress() const
{
    return processor.saveProgress.load();
}

juce::Result SaveReelThread::getResult() const
{
    const juce::ScopedLock sl (resultLock);
    return result;
}
