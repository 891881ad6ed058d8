#pragma once

#include "lounge/LoungeTape.h"

#include <vector>

/** The room's shared library: the server's JSON list of tapes. */
namespace LoungeLibrary
{
/** The tapes of a library answer, in its order. Anything that is not an object with a
    "tapes" array gives an empty list; an element that is not an object still gives a tape
    (empty texts, duration 0), and a missing key gives an empty text or 0. */
std::vector<LoungeTape> parse (const juce::String& json);

/** Fetches and parses the library of the server at serverAddress (its base address, with
    or without the final "/"). Blocks on the network: background threads only. A server
    that is missing, slow, broken or sends too much gives an empty list. */
std::vector<LoungeTape> fetch (const juce::String& serverAddress);

/** The base address ending in "/", or empty when there is no server. */
juce::String normaliseServerAddress (const juce::String& serverAddress);

/** The limits of the library request: an answer of a few thousand tapes fits. */
inline constexpr int connectTimeoutMs = 15000;
inline constexpr int totalTimeoutMs = 30000;
inline constexpr juce::int64 maxBytes = 4 << 20;
} // namespace LoungeLibrary

/** The library fetch as the room runs it. */
inline std::vector<LoungeTape> fetchLoungeLibrary (const juce::String& serverAddress)
{
    return LoungeLibrary::fetch (serverAddress);
}
