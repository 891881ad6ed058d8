#include "storage/ReelFolderWriter.h"

#include "platform/Platform.h"
#include "storage/ReelFolderFormat.h"
#include "storage/StorageIds.h"

#include <juce_audio_formats/juce_audio_formats.h>

namespace
{
std::atomic<juce::int64> writeLimitForTesting{-1};

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
} // namespace

ReelFolderWriter::ReelFolderWriter (const juce::File& folderToWrite) : folder (folderToWrite) {}

ReelFolderWriter::~ReelFolderWriter()
{
    for (const auto& s : staged)
        s.temporary.deleteFile();
}

void ReelFolderWriter::setWriteLimitForTesting (juce::int64 bytesPerFile) noexcept
{
    writeLimitForTesting = bytesPerFile;
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
        constexpr int slice = 1 << 18;
        const float* channel = audio.getReadPointer (0);

        for (juce::int64 done = 0; done < numSamples && ! writeFailed;)
        {
            const auto count = (int)juce::jmin ((juce::int64)slice, numSamples - done);
            const float* channels[] = {channel + done, nullptr};

            if (! writer->writeFromFloatArrays (channels, 1, count))
                writeFailed = true;

            done += count;

            if (progress != nullptr && numSamples > 0)
                *progress = progressStart + (progressEnd - progressStart) * (double)done / (double)numSamples;
        }

        // Going out of scope, the writer completes the header through the checked stream.
    }

    auto result = temporary.finish (writeFailed, ReelFolderFormat::getTrackFileBytes (numSamples));

    if (result.wasOk())
        stage (temporary.file, target);
    else
        temporary.file.deleteFile();

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

            for (const auto& track : tracks)
            {
                const auto& cells = track.getHead().defects;
                const auto count = (int)cells.size();
                zlib.writeInt (count);
                expectedBytes += 4;

                if (count > 0)
                {
                    const auto bytes = (size_t)count * sizeof (TapeDefectCell);
                    zlib.write (cells.data(), bytes);
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

juce::Result ReelFolderWriter::commit()
{
    for (const auto& s : staged)
    {
        if (s.target.isDirectory())
            s.target.deleteRecursively();

        if (! Platform::replaceFile (s.temporary, s.target))
            return juce::Result::fail ("\"" + s.target.getFileName() + "\" could not be replaced in \"" +
                                       folder.getFullPathName() + "\".");
    }

    staged.clear();

    for (const auto& name : removals)
        folder.getChildFile (name).deleteRecursively();

    removals.clear();
    return juce::Result::ok();
}
