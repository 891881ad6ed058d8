#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

#include <vector>

/** Makes a newly created hosted plug-in instance ready for the kind of slot it goes into: the
    processor as its play head, a channel layout the slot can feed, the state it was saved with,
    and preparation at the current audio settings. Runs on the message thread, before the
    instance is put into any slot, so the audio thread never sees an instance half made ready.

    Each kind of slot asks for its channel layouts in order of preference (input / output):

    | kind          | layouts tried                              |
    |---------------|--------------------------------------------|
    | inputInsert   | stereo/stereo, mono/stereo, mono/mono      |
    | trackInsert   | stereo/stereo, mono/mono                   |
    | masterInsert  | stereo/stereo                              |
    | auxReturn     | stereo/stereo                              |
    | instrument    | none: an instrument keeps its own layout   |

    Only a plug-in with exactly one input bus and one output bus is asked; the first layout it
    accepts is applied. A plug-in that accepts none keeps its own layout, and the block callback
    adapts its buffers to the plug-in's channel count. */
class PluginSlotLoader
{
public:
    enum class SlotKind
    {
        inputInsert,  // the record path, before the tape
        trackInsert,  // a track's chain, after the tape
        masterInsert, // the mix bus
        auxReturn,    // either aux return
        instrument    // an instrument slot
    };

    struct Layout
    {
        juce::AudioChannelSet input, output;
    };

    /** The layouts a kind of slot asks for, most wanted first; empty for an instrument. */
    static std::vector<Layout> getCandidateLayouts (SlotKind kind);

    /** Applies the first candidate layout of the kind that the processor accepts. Returns false,
        leaving its layout as it was, when it has not exactly one input and one output bus or
        accepts none of them. The processor must not be prepared (a prepared VST3 instance is not
        asked). */
    static bool negotiateBusLayout (juce::AudioProcessor& processor, SlotKind kind);

    /** Play head, layout, state (only when there are state bytes) and preparation at the rate
        and block size given, in that order. */
    static void prepareForSlot (juce::AudioPluginInstance& instance, SlotKind kind, juce::AudioPlayHead* playHead,
                                const juce::MemoryBlock& state, double sampleRate, int blockSize);
};
