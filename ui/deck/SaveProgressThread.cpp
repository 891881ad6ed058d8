#include "ui/deck/SaveProgressThread.h"

#include "engine/TavrelDelayAudioProcessor.h"

SaveProgressThread::SaveProgressThread (TavrelDelayAudioProcessor& processorToSave, int slotToSave,
                                        const juce::String& name, juce::Component* componentToCentreAround)
    : ProgressWindowThread (title, true, false, componentToCentreAround),
      processor (processorToSave),
      slot (slotToSave),
      newReelName (name)
{
    setProgress (-1.0);
    setStatusMessage (status);
    follower.startTimer (50);
}

SaveProgressThread::~SaveProgressThread()
{
    follower.stopTimer();
}

void SaveProgressThread::ProgressFollower::timerCallback()
{
    owner.setProgress (owner.processor.saveProgress.load());
}

void SaveProgressThread::run()
{
    processor.saveProgress = -1.0;
    result = newReelName.isNotEmpty() ? processor.saveReelAs (newReelName) : processor.saveReel (slot);
}

void SaveProgressThread::threadComplete (bool)
{
    follower.stopTimer();
    auto done = std::move (onComplete);
    const auto outcome = result;
    delete this;

    if (done)
        done (outcome);
}
