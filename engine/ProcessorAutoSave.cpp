// The auto-save thread's loop.

#include "engine/TavrelDelayAudioProcessor.h"

void TavrelDelayAudioProcessor::AutoSaveThread::run()
{
    // The recovery and auto-save ticks arrive with reel saving; until then the thread only
    // waits for the processor to stop it.
    while (! threadShouldExit())
        wait (20000);
}
