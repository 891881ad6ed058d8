#pragma once

#include <juce_audio_processors/juce_audio_processors.h>
#include <juce_core/juce_core.h>

#include <array>
#include <atomic>
#include <optional>

/** Parts of the rack element that stand on their own: the "ROUTING" child (input source and
    group of each of the 24 tracks) and the reading of a hosted plug-in's stored description. */
namespace RackStateXml
{
static constexpr int numRoutedTracks = 24;
static constexpr int numGroups = 8;

/** Instrument slots a rack holds at most: the instrument outputs are addressed by the input
    source codes 100..115, two per slot. */
static constexpr int maxInstrumentSlots = 8;

/** True for a track input source code: -1 (none), 0..23 (device input), 100..115 (instrument
    slot output, slot x 2 + left/right), 200..223 (another track), 300..303 (aux bus halves). */
bool isInputSourceCode (int code) noexcept;

/** Appends "ROUTING" with, for each track i, "track_" + i (its input source) and then
    "group_" + i (its group). */
void writeRouting (juce::XmlElement& rack, const std::array<int, numRoutedTracks>& inputSources,
                   const std::array<std::atomic<int>, 26>& channelGroups);

struct Routing
{
    std::array<int, numRoutedTracks> inputSources;
    std::array<int, numRoutedTracks> groups;
};

/** The routing of a "ROUTING" element. A missing or unknown input source reads -1 (none), a
    missing group or one outside 0..8 reads 0 (none): a damaged value never reaches an index. */
Routing readRouting (const juce::XmlElement& routing);

/** The description of a hosted plug-in element: its first "PLUGIN" child or, in older reels, its
    "PLUGIN_DESC" child (same content under another tag). False when there is neither or it does
    not read. */
bool readPluginDescription (const juce::XmlElement& element, juce::PluginDescription& description);
} // namespace RackStateXml
