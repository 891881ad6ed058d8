#pragma once

#include <juce_core/juce_core.h>

#include <atomic>
#include <functional>

/** Writes a reel folder into a ZIP archive (deflate level 4, UTF-8 entry names with '/'
    separators, each file's modification time), streaming each file through the compressor so
    that memory use does not grow with the size of a track file.

    The archive has no ZIP64 records, which is all JUCE's reader understands, so an archive
    must stay within 4 GiB with at most 65535 entries; checkLimits refuses a folder that might
    not fit before anything is written. The archive is written to a hidden temporary file
    beside the destination and moved over it only when complete: a failed or cancelled backup
    leaves neither a partial archive nor a damaged older one. */
class ReelArchiveWriter
{
public:
    struct Item
    {
        juce::File file;
        juce::String entryName; // relative to the archived folder, '/' between folders
        juce::int64 size = 0;
    };

    static constexpr int compressionLevel = 4;
    static constexpr juce::int64 maxArchiveBytes = 0xffffffffLL;
    static constexpr int maxEntries = 0xffff;

    /** Every regular file anywhere under folder (hidden files included, symbolic links
        skipped), sorted by entry name. Folders get no entries of their own. */
    static juce::Array<Item> listFolder (const juce::File& folder);

    /** Refuses what the archive format cannot hold: more than maxEntries files, a file of
        4 GiB or more, or files whose archive could grow past 4 GiB when deflate cannot shrink
        them (audio barely compresses). The message says why, for the user. */
    static juce::Result checkLimits (const juce::Array<Item>& items);

    /** The archive size if no entry compresses at all (deflate's worst case plus headers). */
    static juce::int64 worstCaseArchiveBytes (const juce::Array<Item>& items);

    /** Writes items (which should have passed checkLimits) into destination. progress, when
        given, goes from 0 to 1 by bytes read; shouldCancel, when given, is asked between
        reads and a true answer abandons the archive. Returns ok only when destination then
        holds the complete archive. */
    static juce::Result write (const juce::Array<Item>& items, const juce::File& destination,
                               std::atomic<double>* progress = nullptr, const std::function<bool()>& shouldCancel = {});
};
