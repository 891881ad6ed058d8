#include "engine/SaveReelThread.h"

#include "engine/TavrelDelayAudioProcessor.h"

SaveReelThread::SaveReelThread (TavrelDelayAudioProcessor& p, int slotToSave, const juce::String& name)
    : juce::Thread ("Save Reel"), processor (p), slot (slotToSave), newReelName (name)
{
}

SaveReelThread::~SaveReelThread()
{
    // A save is never cut off half way: wait for it.
    stopThread (-1);
}

void SaveReelThread::run()
{
    processor.saveProgress = -1.0;
    const auto saved = newReelName.isNotEmpty() ? processor.saveReelAs (newReelName) : processor.saveReel (slot);

    {
        const juce::ScopedLock sl (resultLock);
        result = saved;
    }

    if (onComplete)
        juce::MessageManager::callAsync ([callback = onComplete, saved] { callback (saved); });
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
