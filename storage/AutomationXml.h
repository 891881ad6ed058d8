#pragma once

#include <juce_audio_basics/juce_audio_basics.h>
#include <juce_core/juce_core.h>

#include <array>
#include <atomic>
#include <memory>
#include <vector>

/** The stored form of the fader automation: an "AUTOMATION" element with one "TRACK" child per
    written channel (the reel's tracks, then the two aux returns), each with its "id", its "mode"
    and, while the store has lanes, its whole lane as "data": little-endian 32-bit floats in
    JUCE's memory-block text. */
namespace AutomationXml
{
static constexpr int numChannels = 26;
static constexpr int firstAuxChannel = 24;
static constexpr int numModes = 5; // off, read, touch, latch, write

using Modes = std::array<std::atomic<int>, numChannels>;

/** The element for a reel of numTracks tracks. Reads the lanes and modes without a lock: a lane
    being written meanwhile is stored with a mix of older and newer points, each whole. */
std::unique_ptr<juce::XmlElement> create (const juce::AudioBuffer<float>& lanes, const Modes& modes, int numTracks);

/** A lane decoded from a "TRACK" element, ready to be copied into the store. */
struct DecodedChannel
{
    int channel = -1;       // -1: the element is skipped
    int mode = 0;           // always 0..4
    bool hasData = false;   // the data decoded
    juce::MemoryBlock data; // little-endian floats, as stored
};

/** Reads one "TRACK" element (whatever its tag): the channel from "id" (0 when missing; an id
    outside 0..25 is skipped), the mode from "mode" (a mode outside 0..4 reads as off), and the
    lane from "data" (missing, empty or undecodable data leaves the lane as it is). Decoding
    allocates, so it is done before the store is locked. */
DecodedChannel decodeChannel (const juce::XmlElement& track);

/** Every child of an "AUTOMATION" element, decoded, in document order. */
std::vector<DecodedChannel> decodeAll (const juce::XmlElement& automation);

/** Applies a decoded channel: its mode, and its whole points over the start of its lane (at most
    the lane's length; later points keep their values). A point that is not a normalised value
    (outside 0..1, or not a number) is limited to 0..1, not-a-number to 0. The caller holds the
    automation lock. */
void applyChannel (const DecodedChannel& decoded, juce::AudioBuffer<float>& lanes, Modes& modes);
} // namespace AutomationXml
