#pragma once

#include <juce_core/juce_core.h>

class TavrelDelayAudioProcessor;

/** Exclusive use of the reel's shared structures (tracks, routing, automation rows, slot
    chains) for an edit or a render made off the audio thread.

    Takes, in the processor's lock order: the save lock (no save, background save, load,
    export, import or loop cut runs meanwhile), the suspension of processing (so no block
    callback runs), the audio lock and the automation lock. Processing is resumed on the
    way out only when this guard suspended it. The block callback outputs silence while a
    guard lives. */
class ReelEditGuard
{
public:
    explicit ReelEditGuard (TavrelDelayAudioProcessor& processorToLock);
    ~ReelEditGuard();

private:
    TavrelDelayAudioProcessor& processor;

    JUCE_DECLARE_NON_COPYABLE (ReelEditGuard)
};
