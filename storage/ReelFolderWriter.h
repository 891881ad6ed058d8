#pragma once

#include "engine/tape/TapeTrack.h"

#include <juce_core/juce_core.h>

#include <atomic>
#include <vector>

/** Writes the files of one copy of a reel (one folder) as a single change: every new file is
    first written whole under a temporary name beside its target and checked (stream status
    after the flush, the size it must have, for the defect map a full read-back), and only
    when every file of the copy passed does commit() move them over the old files, each in
    one step. A copy that fails anywhere is left exactly as it was, and the temporary files
    are removed when the writer goes.

    Not thread-safe; the caller serialises saves (the processor's save lock). */
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

    /** The file is deleted when the copy is committed. */
    void removeOnCommit (const juce::String& fileName);

    /** Moves every staged file over its target, in the order staged, and deletes the files
        marked for removal. Fails when a move fails (the files moved before it stay). */
    juce::Result commit();

    /** Fails every stream this writer opens once it has taken that many bytes, as a full
        disk would; -1 (the default) turns it off. For tests of failed saves only. */
    static void setWriteLimitForTesting (juce::int64 bytesPerFile) noexcept;

private:
    struct Staged
    {
        juce::File temporary, target;
    };

    juce::File folder;
    std::vector<Staged> staged;
    juce::StringArray removals;

    juce::Result writeBytes (const juce::String& fileName, const void* data, size_t numBytes);
    void stage (const juce::File& temporary, const juce::File& target);

    JUCE_DECLARE_NON_COPYABLE (ReelFolderWriter)
};
