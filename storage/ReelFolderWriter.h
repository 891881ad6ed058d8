#pragma once

#include "engine/tape/TapeTrack.h"

#include <juce_core/juce_core.h>

#include <atomic>
#include <functional>
#include <vector>

/** Writes the files of one copy of a reel (one folder) as a single change: every new file is
    first written whole under a temporary name beside its target and checked (stream status
    after the flush, the size it must have, for the defect map a full read-back), and only
    when every file of the copy passed does commit() move them over the old files.

    The commit is all or nothing, even when the process dies in the middle of it: it first
    writes a journal naming every replacement, keeps each old file under a backup name while
    it runs, and removes the journal only when the last new file is in place. recover() (run
    before any save or load of the copy) finishes a commit that has its journal, or undoes it
    when a file cannot be replaced, and removes what a cut-off save left behind. A copy that
    fails anywhere is left exactly as it was, and the temporary files are removed when the
    writer goes.

    Each writer is one save generation: the track files it writes carry it, and the manifest
    (addManifest) records, for every file of the copy, the generation or size it must have, so
    that a reader can tell a copy whose files do not belong together.

    Not thread-safe; the caller serialises saves and loads (the processor's save lock). */
class ReelFolderWriter
{
public:
    explicit ReelFolderWriter (const juce::File& folder);

    /** Removes every temporary file that was not committed. */
    ~ReelFolderWriter();

    /** Stages a text file as 8-bit bytes, exactly as given (no byte-order mark). */
    juce::Result addText (const juce::String& fileName, const juce::String& text);

    /** Stages an XML document in JUCE's default text form (declaration, two-space indent,
        CR LF line ends). */
    juce::Result addXml (const juce::String& fileName, const juce::XmlElement& xml);

    /** Stages a 16-bit mono WAV file of the first numSamples samples of the track's tape at
        the rate (truncated to an integer in the header). progress, when given, is raised from
        progressStart towards progressEnd as the samples go out. */
    juce::Result addTrack (const juce::String& fileName, const TapeTrack& track, juce::int64 numSamples,
                           double sampleRate, std::atomic<double>* progress = nullptr, double progressStart = 0.0,
                           double progressEnd = 0.0);

    /** Stages the defect maps of every track, in track order, as one zlib stream. */
    juce::Result addDefects (const std::vector<TapeTrack>& tracks);

    /** Asked between the slices of a track file: when it answers true, the file is given up
        (addTrack fails and wasStopped() says why). */
    void setStopCheck (std::function<bool()> check) { stopCheck = std::move (check); }
    bool wasStopped() const noexcept { return stopped; }

    /** The file is deleted when the copy is committed. */
    void removeOnCommit (const juce::String& fileName);

    /** Stages the manifest of the copy: the generation and size of track_1 .. track_numTracks
        (staged ones, or the files already there) and the size of every other staged file.
        Call it after everything else is staged. */
    juce::Result addManifest (int numTracks);

    /** Replaces the old files by the staged ones and deletes the files marked for removal, as
        one change (see the class comment). A failure puts every old file back. */
    juce::Result commit();

    /** Brings a copy's folder back to one whole copy after a save that was cut off: a commit
        with a journal is finished, or undone when a file cannot be replaced; temporary and
        backup files are removed. Fails, with a message for the user, only when the copy could
        be neither finished nor undone. A folder that does not exist is fine. */
    static juce::Result recover (const juce::File& folder);

    /** The generation the track files of this writer carry. */
    juce::uint64 getGeneration() const noexcept { return generation; }

    /** Fails every stream this writer opens once it has taken that many bytes, as a full
        disk would; -1 (the default) turns it off. For tests of failed saves only. */
    static void setWriteLimitForTesting (juce::int64 bytesPerFile) noexcept;

    /** Called after every single step of a commit (one rename), for tests that cut a save
        off in the middle of its commit; nullptr (the default) for none. */
    static void setCommitStepHookForTesting (void (*hook)()) noexcept;

    /** Called after every track file addTrack has written, for tests that change the tape in
        the middle of a save; nullptr (the default) for none. */
    static void setTrackStagedHookForTesting (void (*hook)()) noexcept;

private:
    struct Staged
    {
        juce::File temporary, target;
    };

    juce::File folder;
    std::vector<Staged> staged;
    juce::StringArray removals;
    juce::uint64 generation;
    std::function<bool()> stopCheck;
    bool stopped = false;

    juce::Result writeBytes (const juce::String& fileName, const void* data, size_t numBytes);
    void stage (const juce::File& temporary, const juce::File& target);

    JUCE_DECLARE_NON_COPYABLE (ReelFolderWriter)
};
