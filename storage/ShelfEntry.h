#pragma once

#include <juce_core/juce_core.h>

/** One reel on the library shelf: a folder directly inside the library root together with
    the slot number "shelf_layout.xml" keeps for it. */
struct ShelfEntry
{
    juce::String name;             // the folder's name, which is the reel's name
    juce::File folder;             // the reel folder
    juce::int64 lastWriteTime = 0; // folder's last-write time, ms since 1970 UTC; 0 when unreadable
    int slot = 0;                  // stable shelf slot; slots given out here are 0 or more
};
