#pragma once

#include <juce_core/juce_core.h>

class TavrelDelayAudioProcessor;

/** Holds the processor's processing suspended for a scope. Holds nest and count: the audio
    runs again only when the last one ends, so an inner change (a slot restored during a
    load, the click switched on during a save) cannot let the block callback write into a
    tape that an outer holder is reading or replacing. A suspension made directly through
    suspendProcessing before the first hold is kept when the last one ends. Any thread. */
class ProcessingHold
{
public:
    explicit ProcessingHold (TavrelDelayAudioProcessor& processorToHold, bool active = true);
    ~ProcessingHold();

private:
    TavrelDelayAudioProcessor& processor;
    const bool active;

    JUCE_DECLARE_NON_COPYABLE (ProcessingHold)
};
