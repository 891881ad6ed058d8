#pragma once

#include <juce_core/juce_core.h>

/** The layout of a reel folder and the limits a reader puts on what it finds there. Writer,
    reader and tests share these, so the file names and sizes cannot drift apart.

    A reel folder holds the main copy; the slot sub-folders "Recovery" (slot -1),
    "State_1_Auto" (slot 1) and "State_2" .. "State_4" hold complete copies in the same
    layout. Each copy is "settings.xml", "automation.xml", "track_1.wav" .. "track_K.wav" and
    "defects.gz"; the main copy also carries the pointer file (reel name + ".reel"). */
struct ReelFolderFormat
{
    /** Suffix of the temporary file a new file is written to before it replaces the old one. */
    static constexpr const char* temporarySuffix = ".tmp";

    /** Slots: 0 the main copy, -1 the recovery copy, 1 the auto-save copy, 2..4 snapshots. */
    static constexpr int mainSlot = 0;
    static constexpr int recoverySlot = -1;
    static constexpr int autoSaveSlot = 1;

    /** The folder of a slot's copy inside the reel folder; any slot that is not -1 or 1..4
        is the reel folder itself. */
    static juce::File getSlotFolder (const juce::File& reelFolder, int slot);

    /** "track_" + (index + 1) + ".wav", index counting from 0. */
    static juce::String getTrackFileName (int index);

    /** The temporary name of a file while it is being written. */
    static juce::File getTemporaryFile (const juce::File& target);

    //==============================================================================
    // Committing a copy. The new files of a copy replace the old ones as one change: the
    // journal names every replacement before the first is made, and while it exists each old
    // file is kept under its backup name, so a copy caught half way (a crash, a file that
    // cannot be replaced) is finished or undone as a whole. The manifest, committed with the
    // copy, says which files belong together.

    /** The journal of a commit in progress. */
    static constexpr const char* journalFile = "commit.journal";

    /** The manifest of a copy: its save generation and what each of its files must be. */
    static constexpr const char* manifestFile = "manifest.xml";

    /** The name an old file is kept under while the commit that replaces it runs. */
    static juce::File getBackupFile (const juce::File& target);

    /** Files that belong to a save in progress or to one that was cut off (temporary files,
        backups, the journal and its own temporary file): never part of a copy, removed when
        the copy is next loaded or saved, left out of archives. */
    static bool isTransientFile (const juce::String& fileName);

    //==============================================================================
    // Track files: 16-bit mono WAV with JUCE's fixed 104-byte header.

    static constexpr int trackFileBitsPerSample = 16;
    static constexpr juce::int64 trackFileHeaderBytes = 104;
    static constexpr juce::int64 minimumTrackFileSamples = 4096;

    /** Samples a track file holds: the recorded part plus one second, at least 4096 samples,
        never more than the tape. */
    static juce::int64 getTrackFileSamples (juce::int64 bufferLength, juce::int64 recordedLength,
                                            double sampleRate) noexcept;

    /** The size of a complete track file of that many samples. */
    static juce::int64 getTrackFileBytes (juce::int64 samples) noexcept;

    /** The save generation of a track file sits in the data of its "JUNK" chunk, which WAV
        readers skip: a tag, then the generation as 64-bit little-endian. */
    static constexpr juce::int64 generationTagOffset = 20;
    static constexpr const char* generationTag = "DRV8GEN1";

    //==============================================================================
    // "defects.gz": per track an int32 cell count, then 32 bytes per cell, zlib-compressed.

    static constexpr juce::int64 defectCellBytes = 32;

    /** A stored count above this cannot come from any reel (the map holds 12000 cells): the
        file is damaged and is read no further. */
    static constexpr juce::int64 maximumDefectCells = 1 << 20;

    //==============================================================================
    // Reel attributes of "settings.xml", bounded on read: a damaged or hand-edited file must
    // not make the reader allocate absurd tapes or address tracks that do not exist.

    /** 8, 16 or 24: a stored count that is none of these is rounded up to the next one (so
        no stored track is lost), counts below 8 give 8, counts above 24 give 24. */
    static int boundTrackCount (int stored) noexcept;

    /** A usable length: not a number, 0 or less gives the default 600 s; above 3600 s gives
        3600 s. */
    static double boundReelLength (double stored) noexcept;

    /** A rate the tape can run at: 8 to 192 kHz. */
    static bool isUsableSampleRate (double rate) noexcept;

    /** A usable position in seconds on a tape of that length: not a number or negative
        gives 0, past the end gives the end. */
    static double boundPosition (double stored, double reelLength) noexcept;
};
