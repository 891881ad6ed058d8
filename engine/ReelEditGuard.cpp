#include "engine/ReelEditGuard.h"

#include "engine/TavrelDelayAudioProcessor.h"
#include "engine/ProcessingHold.h"

ReelEditGuard::ReelEditGuard (TavrelDelayAudioProcessor& processorToLock) : processor (processorToLock)
{
    processor.saveLock.enter();

    processor.holdProcessing();

    processor.audioLock.enter();
    processor.automationLock.enter();
}

ReelEditGuard::~ReelEditGuard()
{
    processor.automationLock.exit();

    processor.releaseProcessing();

    processor.audioLock.exit();
    processor.saveLock.exit();
}
