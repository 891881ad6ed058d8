#include "storage/ReelFolderWriter.h"

#include "engine/tape/SharedTapeSample.h"

#include "platform/Platform.h"
#include "storage/ReelFolderFormat.h"
#include "storage/ReelFolderReader.h"
#include "storage/StorageIds.h"

#include <juce_audio_formats/juce_audio_formats.h>

#include <cstring>

namespace
{
std::atomic<juce::int64> writeLimitForTesting{-1};
std::atomic<void (*)()> commitStepHookForTesting{nullptr};
std::atomic<void (*)()> trackStagedHookForTesting{nullptr};

constexpr const char* journalHeader = "Dravin 8 commit";
constexpr const char* journalUndo = "undo";
constexpr const char* journalMove = "move";
constexpr const char* journalRemove = "remove";
constexpr const char* journalEnd = "end";

constexpr int streamBufferBytes = 16384;

static_assert (sizeof (TapeDefectCell) == ReelFolderFormat::defectCellBytes, "a defect cell is 8 floats");

/** Passes everything to a file stream it does not own and remembers whether any write
    failed, so that the owner can judge the file after an encoder (the WAV writer, the zlib
    compressor) that swallows the result of single writes. */
class CheckedStream : public juce::OutputStream
{
public:
    CheckedStream (juce::FileOutputStream& target, bool& failedFlag) : out (target), failed (failedFlag) {}

    bool write (const void* data, size_t numBytes) override
    {
        if (failed)
            return false;

        const auto limit = writeLimitForTesting.load();

        if ((limit >= 0 && out.getPosition() + (juce::int64)numBytes > limit) || ! out.write (data, numBytes))
        {
            failed = true;
            return false;
        }

        return true;
    }

    bool setPosition (juce::int64 position) override { return out.setPosition (position); }
    juce::int64 getPosition() override { return out.getPosition(); }
    void flush() override { out.flush(); }

private:
    juce::FileOutputStream& out;
    bool& failed;
};

/** A fresh temporary file opened for writing, or a failure that says why. */
struct TemporaryStream
{
    explicit TemporaryStream (const juce::File& target) : file (ReelFolderFormat::getTemporaryFile (target))
    {
        // A stream opened on an existing file would append to it.
        if (file.exists() && ! file.deleteRecursively())
            return;

        stream = std::make_unique<juce::FileOutputStream> (file, streamBufferBytes);

        if (stream->failedToOpen())
            stream.reset();
    }

    /** Flushes (which also syncs the file to the disk), closes, and checks the stream and
        the size of the file. */
    juce::Result finish (bool anyWriteFailed, juce::int64 expectedBytes)
    {
        if (stream == nullptr)
            return fail();

        stream->flush();
        const auto status = stream->getStatus();
        stream.reset();

        if (anyWriteFailed || status.failed())
            return fail();

        if (const auto size = file.getSize(); (expectedBytes >= 0 && size != expectedBytes) || size <= 0)
            return fail();

        return juce::Result::ok();
    }

    juce::Result fail() const
    {
        return juce::Result::fail ("\"" + file.getFileNameWithoutExtension() + "\" could not be written in \"" +
                                   file.getParentDirectory().getFullPathName() +
                                   "\" (is the disk full or read-only?).");
    }

    juce::File file;
    std::unique_ptr<juce::FileOutputStream> stream;
};

/** Writes the generation into the "JUNK" chunk of a finished track file. */
bool writeGenerationTag (const juce::File& file, juce::uint64 generation)
{
    // Only a file laid out as the writer lays it out: "RIFF", size, "WAVE", "JUNK", size.
    {
        juce::FileInputStream in (file);
        char chunk[4] = {};

        if (in.failedToOpen() || ! in.setPosition (12) || in.read (chunk, 4) != 4 ||
            std::memcmp (chunk, "JUNK", 4) != 0)
            return false;
    }

    juce::FileOutputStream out (file);

    if (out.failedToOpen() || ! out.setPosition (ReelFolderFormat::generationTagOffset))
        return false;

    out.write (ReelFolderFormat::generationTag, 8);
    out.writeInt64 ((juce::int64)generation);
    out.flush(); // also syncs the file to the disk
    return out.getStatus().wasOk();
}

//==============================================================================
// The commit of a copy, and its completion or undoing after a crash.

/** One replacement of a commit; a removal has no temporary file. */
struct Replacement
{
    juce::File temporary, target;

    bool isRemoval() const { return temporary == juce::File(); }
};

void commitStep()
{
    if (auto* hook = commitStepHookForTesting.load())
        hook();
}

bool renameOver (const juce::File& from, const juce::File& to)
{
    return Platform::replaceFile (from, to);
}

/** Writes the journal through a temporary file: it is there whole or not at all. */
bool writeJournal (const juce::File& folder, const std::vector<Replacement>& replacements, bool undo)
{
    juce::String text;
    text << journalHeader << "\n";

    if (undo)
        text << journalUndo << "\n";

    for (const auto& r : replacements)
    {
        if (r.isRemoval())
            text << journalRemove << "\t" << r.target.getFileName() << "\n";
        else
            text << journalMove << "\t" << r.temporary.getFileName() << "\t" << r.target.getFileName() << "\n";
    }

    text << journalEnd << "\n";

    const auto journal = folder.getChildFile (ReelFolderFormat::journalFile);
    const auto temporary = ReelFolderFormat::getTemporaryFile (journal);
    bool ok = false;

    {
        temporary.deleteFile();
        juce::FileOutputStream out (temporary);
        const auto bytes = text.toUTF8();
        ok = ! out.failedToOpen() && out.write (bytes.getAddress(), bytes.sizeInBytes() - 1);
        out.flush(); // also syncs the file to the disk
        ok = ok && out.getStatus().wasOk();
    }

    ok = ok && renameOver (temporary, journal);

    if (! ok)
        temporary.deleteFile();

    return ok;
}

/** The replacements a journal names; false when it is not a complete journal. */
bool readJournal (const juce::File& folder, std::vector<Replacement>& replacements, bool& undo)
{
    const auto journal = folder.getChildFile (ReelFolderFormat::journalFile);

    if (journal.getSize() > 65536)
        return false;

    juce::StringArray lines;
    lines.addLines (journal.loadFileAsString());
    lines.removeEmptyStrings();

    if (lines.size() < 2 || lines[0] != journalHeader || lines[lines.size() - 1] != journalEnd)
        return false;

    // Only plain names of this folder: a damaged journal must not move files elsewhere.
    const auto child = [&folder] (const juce::String& name, juce::File& file)
    {
        if (name.isEmpty() || name == "." || name == ".." || name.containsAnyOf ("/\\"))
            return false;

        file = folder.getChildFile (name);
        return true;
    };

    undo = false;

    for (int i = 1; i < lines.size() - 1; ++i)
    {
        const auto fields = juce::StringArray::fromTokens (lines[i], "\t", {});
        Replacement r;

        if (fields.size() == 1 && fields[0] == journalUndo)
            undo = true;
        else if (fields.size() == 3 && fields[0] == journalMove && child (fields[1], r.temporary) &&
                 child (fields[2], r.target))
            replacements.push_back (r);
        else if (fields.size() == 2 && fields[0] == journalRemove && child (fields[1], r.target))
            replacements.push_back (r);
        else
            return false;
    }

    return true;
}

/** Puts the new file of one replacement in place, keeping the old one as its backup. Done
    already (the temporary file is gone) counts as done. */
bool applyForward (const Replacement& r)
{
    if (! r.isRemoval() && ! r.temporary.existsAsFile())
        return true;

    const auto backup = ReelFolderFormat::getBackupFile (r.target);

    if (r.target.isDirectory())
        r.target.deleteRecursively();

    if (r.target.existsAsFile() && ! backup.exists())
    {
        if (! renameOver (r.target, backup))
            return false;

        commitStep();
    }

    if (r.isRemoval())
        return true;

    if (! renameOver (r.temporary, r.target))
        return false;

    commitStep();
    return true;
}

/** Puts the old file of one replacement back: its backup, or no file when there was none
    before and the new one is already in place. */
bool applyBackward (const Replacement& r)
{
    const auto backup = ReelFolderFormat::getBackupFile (r.target);

    if (backup.existsAsFile())
    {
        if (! renameOver (backup, r.target))
            return false;

        commitStep();
        return true;
    }

    if (! r.isRemoval() && ! r.temporary.existsAsFile() && r.target.existsAsFile())
        return r.target.deleteFile();

    return true;
}

bool undoAll (const juce::File& folder, const std::vector<Replacement>& replacements)
{
    // Marked first: a crash while undoing must not be finished forwards over files already
    // put back.
    if (! writeJournal (folder, replacements, true))
        return false;

    bool ok = true;

    for (auto it = replacements.rbegin(); it != replacements.rend(); ++it)
        ok = applyBackward (*it) && ok;

    return ok;
}

void removeTransientFiles (const juce::File& folder)
{
    for (const auto& f : folder.findChildFiles (juce::File::findFilesAndDirectories, false, "*",
                                                juce::File::FollowSymlinks::no))
        if (f != folder.getChildFile (ReelFolderFormat::journalFile) &&
            ReelFolderFormat::isTransientFile (f.getFileName()))
            f.deleteRecursively (false);

    folder.getChildFile (ReelFolderFormat::journalFile).deleteFile();
}
} // namespace

ReelFolderWriter::ReelFolderWriter (const juce::File& folderToWrite)
    : folder (folderToWrite), generation ((juce::uint64)juce::Random::getSystemRandom().nextInt64() | 1u)
{
}

ReelFolderWriter::~ReelFolderWriter()
{
    for (const auto& s : staged)
        s.temporary.deleteFile();
}

void ReelFolderWriter::setWriteLimitForTesting (juce::int64 bytesPerFile) noexcept
{
    writeLimitForTesting = bytesPerFile;
}

void ReelFolderWriter::setCommitStepHookForTesting (void (*hook)()) noexcept
{
    commitStepHookForTesting = hook;
}

void ReelFolderWriter::setTrackStagedHookForTesting (void (*hook)()) noexcept
{
    trackStagedHookForTesting = hook;
}

void ReelFolderWriter::stage (const juce::File& temporary, const juce::File& target)
{
    staged.push_back ({temporary, target});
}

juce::Result ReelFolderWriter::writeBytes (const juce::String& fileName, const void* data, size_t numBytes)
{
    const auto target = folder.getChildFile (fileName);
    TemporaryStream temporary (target);

    if (temporary.stream == nullptr)
        return temporary.fail();

    bool writeFailed = false;
    CheckedStream checked (*temporary.stream, writeFailed);
    checked.write (data, numBytes);

    auto result = temporary.finish (writeFailed, (juce::int64)numBytes);

    if (result.wasOk())
        stage (temporary.file, target);
    else
        temporary.file.deleteFile();

    return result;
}

juce::Result ReelFolderWriter::addText (const juce::String& fileName, const juce::String& text)
{
    const auto bytes = text.toUTF8();
    return writeBytes (fileName, bytes.getAddress(), bytes.sizeInBytes() - 1);
}

juce::Result ReelFolderWriter::addXml (const juce::String& fileName, const juce::XmlElement& xml)
{
    return addText (fileName, xml.toString());
}

juce::Result ReelFolderWriter::addTrack (const juce::String& fileName, const TapeTrack& track, juce::int64 numSamples,
                                         double sampleRate, std::atomic<double>* progress, double progressStart,
                                         double progressEnd)
{
    const auto target = folder.getChildFile (fileName);
    const auto& audio = track.getAudio();
    numSamples = juce::jlimit ((juce::int64)0, (juce::int64)audio.getNumSamples(), numSamples);

    TemporaryStream temporary (target);

    if (temporary.stream == nullptr || audio.getNumChannels() < 1)
        return temporary.fail();

    bool writeFailed = false;
    auto checked = std::make_unique<CheckedStream> (*temporary.stream, writeFailed);

    {
        juce::WavAudioFormat wav;
        std::unique_ptr<juce::AudioFormatWriter> writer (wav.createWriterFor (
            checked.get(), (double)(juce::int64)sampleRate, 1, ReelFolderFormat::trackFileBitsPerSample, {}, 0));

        if (writer == nullptr)
            return temporary.fail();

        checked.release(); // the writer owns it now

        // Written in slices so the progress moves; each slice converts whole samples, so a
        // background save of a tape the audio thread writes never tears a sample.
        // The slice is copied first, sample by sample as the audio thread writes them.
        constexpr int slice = 1 << 16;
        const float* channel = audio.getReadPointer (0);
        juce::HeapBlock<float> copy ((size_t)slice);

        for (juce::int64 done = 0; done < numSamples && ! writeFailed;)
        {
            const auto count = (int)juce::jmin ((juce::int64)slice, numSamples - done);

            for (int i = 0; i < count; ++i)
                copy[i] = SharedTapeSample::load (channel + done + i);

            const float* channels[] = {copy.get(), nullptr};

            if (! writer->writeFromFloatArrays (channels, 1, count))
                writeFailed = true;

            done += count;

            if (stopCheck != nullptr && done < numSamples && stopCheck())
                stopped = writeFailed = true;

            if (progress != nullptr && numSamples > 0)
                *progress = progressStart + (progressEnd - progressStart) * (double)done / (double)numSamples;
        }

        // Going out of scope, the writer completes the header through the checked stream.
    }

    auto result = temporary.finish (writeFailed, ReelFolderFormat::getTrackFileBytes (numSamples));

    if (result.wasOk() && ! writeGenerationTag (temporary.file, generation))
        result = temporary.fail();

    if (result.wasOk())
        stage (temporary.file, target);
    else
        temporary.file.deleteFile();

    if (auto* hook = trackStagedHookForTesting.load())
        hook();

    return result;
}

juce::Result ReelFolderWriter::addDefects (const std::vector<TapeTrack>& tracks)
{
    const auto target = folder.getChildFile (StorageIds::defectsFile);
    // The temporary name the format has always used for the map: "defects.tmp".
    const auto temporaryFile = target.withFileExtension ("tmp");
    juce::int64 expectedBytes = 0;
    bool writeFailed = false;

    {
        if (temporaryFile.exists() && ! temporaryFile.deleteRecursively())
            return juce::Result::fail ("\"" + temporaryFile.getFullPathName() + "\" could not be replaced.");

        juce::FileOutputStream file (temporaryFile, streamBufferBytes);

        if (file.failedToOpen())
            return juce::Result::fail ("\"" + temporaryFile.getFullPathName() + "\" could not be written.");

        CheckedStream checked (file, writeFailed);

        {
            juce::GZIPCompressorOutputStream zlib (checked, -1, 0);
            std::vector<TapeDefectCell> copy;

            for (const auto& track : tracks)
            {
                const auto& cells = track.getHead().defects;
                const auto count = (int)cells.size();
                zlib.writeInt (count);
                expectedBytes += 4;

                if (count > 0)
                {
                    // The brushes may paint while a background save runs: copy value by value.
                    copy.resize ((size_t)count);

                    for (size_t c = 0; c < (size_t)count; ++c)
                        for (int lane = 0; lane < TapeDefectCell::numLanes; ++lane)
                            copy[c].lanes[lane] = SharedTapeSample::load (&cells[c].lanes[lane]);

                    const auto bytes = (size_t)count * sizeof (TapeDefectCell);
                    zlib.write (copy.data(), bytes);
                    expectedBytes += (juce::int64)bytes;
                }
            }

            zlib.flush(); // ends the zlib stream
        }

        file.flush();
        writeFailed = writeFailed || file.getStatus().failed();
    }

    // The compressed size is not known beforehand: the map is read back whole instead.
    if (! writeFailed && temporaryFile.getSize() > 0)
    {
        juce::FileInputStream in (temporaryFile);
        juce::GZIPDecompressorInputStream zlib (&in, false, juce::GZIPDecompressorInputStream::zlibFormat);
        juce::HeapBlock<char> scratch (65536);
        juce::int64 total = 0;

        for (int got; (got = zlib.read (scratch.get(), 65536)) > 0;)
            total += got;

        writeFailed = in.failedToOpen() || total != expectedBytes;
    }
    else
    {
        writeFailed = true;
    }

    if (writeFailed)
    {
        temporaryFile.deleteFile();
        return juce::Result::fail ("The tape defect map could not be written in \"" + folder.getFullPathName() +
                                   "\" (is the disk full or read-only?).");
    }

    stage (temporaryFile, target);
    return juce::Result::ok();
}

void ReelFolderWriter::removeOnCommit (const juce::String& fileName)
{
    removals.add (fileName);
}

juce::Result ReelFolderWriter::addManifest (int numTracks)
{
    juce::XmlElement manifest ("COPY");
    manifest.setAttribute ("generation", juce::String::toHexString ((juce::int64)generation));

    const auto stagedFor = [this] (const juce::File& target) -> const Staged*
    {
        for (const auto& s : staged)
            if (s.target == target)
                return &s;

        return nullptr;
    };

    for (const auto& s : staged)
    {
        if (s.target.getFileName().startsWith (StorageIds::trackFilePrefix) || s.target.getParentDirectory() != folder)
            continue;

        auto* entry = manifest.createNewChildElement ("FILE");
        entry->setAttribute ("name", s.target.getFileName());
        entry->setAttribute ("bytes", juce::String (s.temporary.getSize()));
    }

    for (int i = 0; i < numTracks; ++i)
    {
        const auto target = folder.getChildFile (ReelFolderFormat::getTrackFileName (i));
        const auto* s = stagedFor (target);
        const auto file = s != nullptr ? s->temporary : target;

        if (! file.existsAsFile())
            continue;

        auto* entry = manifest.createNewChildElement ("FILE");
        entry->setAttribute ("name", target.getFileName());
        entry->setAttribute ("bytes", juce::String (file.getSize()));

        if (const auto g = ReelFolderReader::readTrackGeneration (file); g != 0)
            entry->setAttribute ("generation", juce::String::toHexString ((juce::int64)g));
    }

    return addXml (ReelFolderFormat::manifestFile, manifest);
}

juce::Result ReelFolderWriter::commit()
{
    std::vector<Replacement> replacements;

    for (const auto& s : staged)
        replacements.push_back ({s.temporary, s.target});

    for (const auto& name : removals)
        if (folder.getChildFile (name).exists())
            replacements.push_back ({{}, folder.getChildFile (name)});

    const auto forget = [this]
    {
        staged.clear();
        removals.clear();
    };

    if (replacements.empty())
        return juce::Result::ok();

    if (! writeJournal (folder, replacements, false))
        return juce::Result::fail ("The save could not be started in \"" + folder.getFullPathName() +
                                   "\" (is the disk full or read-only?).");

    for (const auto& r : replacements)
    {
        if (applyForward (r))
            continue;

        // One file cannot be replaced (read-only, immutable, busy): the copy goes back to what
        // it was, whole.
        const auto message = "\"" + r.target.getFileName() + "\" could not be replaced in \"" +
                             folder.getFullPathName() + "\"; the previous copy was kept.";

        if (! undoAll (folder, replacements))
        {
            forget(); // the journal and the files it names finish the undoing later
            return juce::Result::fail (message + " Some files could not be put back yet; they will be when the "
                                                 "tape is next opened or saved.");
        }

        for (const auto& each : replacements)
            if (! each.isRemoval())
                each.temporary.deleteFile();

        folder.getChildFile (ReelFolderFormat::journalFile).deleteFile();
        forget();
        return juce::Result::fail (message);
    }

    // The new copy is complete from here on; the backups only go.
    folder.getChildFile (ReelFolderFormat::journalFile).deleteFile();
    commitStep();

    for (const auto& r : replacements)
        ReelFolderFormat::getBackupFile (r.target).deleteFile();

    forget();
    return juce::Result::ok();
}

juce::Result ReelFolderWriter::recover (const juce::File& folder)
{
    if (! folder.isDirectory())
        return juce::Result::ok();

    auto result = juce::Result::ok();

    if (folder.getChildFile (ReelFolderFormat::journalFile).existsAsFile())
    {
        std::vector<Replacement> replacements;
        bool undo = false;

        if (readJournal (folder, replacements, undo))
        {
            bool finished = ! undo;

            for (size_t i = 0; finished && i < replacements.size(); ++i)
                finished = applyForward (replacements[i]);

            if (! finished && ! undoAll (folder, replacements))
                return juce::Result::fail ("The last save of \"" + folder.getFullPathName() +
                                           "\" was cut off and could not be finished or undone: its files may come "
                                           "from two different saves.");
        }
        else
        {
            // Not a journal this program wrote whole: every file kept aside goes back.
            for (const auto& backup : folder.findChildFiles (juce::File::findFiles, false, "*.old.tmp"))
                renameOver (backup, backup.getSiblingFile (backup.getFileName().dropLastCharacters (8)));

            result = juce::Result::fail ("The last save of \"" + folder.getFullPathName() +
                                         "\" was cut off; the files it replaced were put back.");
        }
    }

    removeTransientFiles (folder);
    return result;
}
