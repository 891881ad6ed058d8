#pragma once

#include <juce_core/juce_core.h>

/** One row of the tape room's reel list: the texts it shows for a reel, ready made. */
struct ReelInfo
{
    juce::String name;
    juce::String dateText;       // "Apr 15, 2026  -  01:53 PM", local time
    juce::String sampleRateText; // "48.0 kHz"
    juce::String trackCountText; // "16 Tracks"
    juce::String lengthText;     // "20 Min", whole minutes
    juce::String sizeText;       // "3 MB", whole MiB on disk
    juce::String ramText;        // "3515.6 MB" of tape memory, or "Unknown RAM"
    juce::File folder;
    juce::int64 lastWriteTime = 0; // ms since 1970 UTC
};
