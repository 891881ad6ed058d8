#pragma once

#include "engine/tape/TapeTrack.h"

#include <juce_core/juce_core.h>

#include <vector>

/** Reads the files of one copy of a reel. Every reader degrades instead of failing: a missing
    or damaged file leaves what it would have filled at its empty state, and nothing read from
    disk can size a buffer beyond the reel's limits. */
struct ReelFolderReader
{
    /** The reel attributes of a "settings.xml" root, bounded (see ReelFolderFormat). */
    struct Attributes
    {
        int numTracks = 8;
        double sampleRate = 44100.0;
        double reelLength = 600.0;
        double tapePosition = 0.0;
        double zeroOffset = 0.0;
    };

    /** The attributes of a settings root; a missing attribute takes its default, an unusable
        rate takes fallbackRate (44100 when that is unusable too). */
    static Attributes readAttributes (const juce::XmlElement& settings, double fallbackRate);

    /** The stored rate of a "settings.xml", or 0 when the file, its root or the attribute is
        missing or the rate is not one the tape can run at. */
    static double readStoredSampleRate (const juce::File& settingsFile);

    /** Reads the first channel of a WAV file into the start of the track's tape (at most the
        tape's length, no rate conversion) and sets recordedLength to the count read. False,
        leaving the track as it was, when the file is missing or cannot be opened as WAV; for
        a file that is there but refused, problem receives a message naming it. */
    static bool readTrackFile (const juce::File& file, TapeTrack& track, juce::String* problem = nullptr);

    /** Reads "defects.gz" into the tracks' maps, one record per track in order. A record that
        is cut short or whose count is absurd marks the file as damaged: that map and the maps
        of the following tracks are left empty, and the result says so. A missing file, and a
        stream that ends before the last track, are not damage. The maps must be cleared by
        the caller beforehand. */
    static juce::Result readDefects (const juce::File& file, std::vector<TapeTrack>& tracks);

    /** The save generation a track file carries (see ReelFolderFormat), 0 when it carries
        none (written by an older version, or not a file of ours). */
    static juce::uint64 readTrackGeneration (const juce::File& file);

    /** The track files of the copy in folder that do not match its manifest (another size,
        another save generation, missing): a copy whose files do not belong together. Empty
        when they all match or the copy has no manifest; track files written before files
        carried their generation are not checked. */
    static juce::StringArray findMismatchedFiles (const juce::File& folder);
};
