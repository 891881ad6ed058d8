#include "engine/ReelEditGuard.h"

#include "engine/TavrelDelayAudioProcessor.h"

ReelEditGuard::ReelEditGuard (TavrelDelayAudioProcessor& processorToLock) : processor (processorToLock)
{
    processor.saveLock.enter();

    // Whoever suspended processing before us (only possible on this thread, since every
    // other suspender holds the save lock or the audio lock) lifts it again.
    suspendedHere = ! processor.isSuspended();

    if (suspendedHere)
        processor.suspendProcessing (true);

    processor.audioLock.enter();
    processor.automationLock.enter();
}

ReelEditGuard::~ReelEditGuard()
{
    processor.automationLock.exit();

    if (suspendedHere)
        processor.suspendProcessing (false);

    processor.audioLock.exit();
    processor.saveLock.exit();
}
