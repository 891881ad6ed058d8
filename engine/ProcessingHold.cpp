#include "engine/ProcessingHold.h"

#include "engine/TavrelDelayAudioProcessor.h"

ProcessingHold::ProcessingHold (TavrelDelayAudioProcessor& processorToHold, bool shouldHold)
    : processor (processorToHold), active (shouldHold)
{
    if (active)
        processor.holdProcessing();
}

ProcessingHold::~ProcessingHold()
{
    if (active)
        processor.releaseProcessing();
}
