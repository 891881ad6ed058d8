#pragma once

#include "storage/ReelInfo.h"
#include "storage/ShelfEntry.h"

#include <juce_core/juce_core.h>

/** The tape room's list of reels without the screen: rows built from the shelf and each
    reel's "settings.xml", the search filter and the two sort orders. The tape room calls
    buildRows with its search text and sort choice and shows the result. */
namespace ReelList
{
/** The ids of the tape room's sort box. */
enum SortId
{
    sortByRecent = 1,
    sortByName = 2
};

/** The row for one shelf entry. Without "settings.xml" the reel shows the defaults
    "8 Tracks", "44.1 kHz", "10 Min", "Unknown RAM"; a file that does not parse leaves those
    four texts empty. */
ReelInfo makeRow (const ShelfEntry& entry);

/** Whether a reel name passes the search box's text: the text with surrounding white space
    removed is empty or found in the name ignoring letter case. */
bool matchesSearch (const juce::String& reelName, const juce::String& searchText);

/** Rows for the shelf entries that match the search text, in shelf order, then sorted: by
    name when sortId is sortByName, by recency for any other id. */
juce::Array<ReelInfo> buildRows (const juce::Array<ShelfEntry>& shelf, const juce::String& searchText, int sortId);

/** Ascending by name ignoring letter case. */
void sortReelInfosByName (juce::Array<ReelInfo>& rows);

/** Most recently written first. */
void sortReelInfosByRecent (juce::Array<ReelInfo>& rows);

/** Index of the first row whose name equals reelName exactly (letter case counts), or -1. */
int indexOfReel (const juce::Array<ReelInfo>& rows, const juce::String& reelName);

// The parts of a row, for callers that show them elsewhere.
juce::String formatDate (juce::Time localTime);
juce::String formatFolderSize (juce::int64 bytes);
juce::int64 folderSize (const juce::File& folder);
} // namespace ReelList
