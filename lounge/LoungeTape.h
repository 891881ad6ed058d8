#pragma once

#include <juce_core/juce_core.h>

/** One tape shared in the room, as the server's library lists it. */
struct LoungeTape
{
    juce::String userName;  // who shared it
    juce::String trackName; // title shown in the list
    juce::String filePath;  // audio file, relative to the server's "lounge_api/" folder
    int durationSeconds = 0;
};
