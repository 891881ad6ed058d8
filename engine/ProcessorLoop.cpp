// Loop points and the loop cut, a razor edit of the whole reel.

#include "engine/TavrelDelayAudioProcessor.h"
#include "engine/ProcessingHold.h"

#include <cstring>

void TavrelDelayAudioProcessor::setLoopInHere()
{
    loopIn = juce::jmax (0.0, tracks.front().getPositionSeconds());
}

void TavrelDelayAudioProcessor::setLoopOutHere()
{
    loopOut = tracks.front().getPositionSeconds();

    if (loopIn.load() > loopOut.load())
    {
        const auto in = loopIn.load();
        loopIn = loopOut.load();
        loopOut = in;
    }
}

void TavrelDelayAudioProcessor::toggleLoop()
{
    loopEnabled = ! loopEnabled.load();
}

void TavrelDelayAudioProcessor::clearLoopPoints()
{
    loopIn = 0.0;
    loopOut = 0.0;
    loopEnabled = false;
}

void TavrelDelayAudioProcessor::cutTrackRegion (TapeTrack& track, int in, int out)
{
    auto& audio = track.getAudio();
    const auto length = audio.getNumSamples();

    // A track shorter than the reference loses only what it has of the region.
    const auto end = juce::jmin (out, length);
    const auto cut = end - in;

    if (cut <= 0)
        return;

    if (audio.getNumChannels() > 0 && ! audio.hasBeenCleared())
    {
        auto* samples = audio.getWritePointer (0);

        if (length - end > 0)
            std::memmove (samples + in, samples + end, (size_t)(length - end) * sizeof (float));

        juce::FloatVectorOperations::clear (samples + length - cut, cut);
    }

    track.dirty = true;

    // The defect map follows the tape. It is one 30-s loop that repeats along the reel, read
    // here by absolute position as the tape strip paints it; a cut longer than the map clears
    // the whole map rather than reaching before its start.
    auto& head = track.getHead();
    const auto cellCount = juce::jmin (head.cellCount, (int)head.defects.size());

    if (cellCount > 0 && head.sampleRate > 0.0)
    {
        const auto cellOut = (juce::int64) (out / head.sampleRate * TapeHeadModel::cellsPerSecond);
        const auto cellIn = (juce::int64) (in / head.sampleRate * TapeHeadModel::cellsPerSecond);
        const auto cells = cellOut - cellIn;

        if (cells > 0)
        {
            auto* map = head.defects.data();

            if (cellOut < cellCount)
                std::memmove (map + cellIn, map + cellOut, (size_t)(cellCount - cellOut) * sizeof (TapeDefectCell));

            const auto cleared = (int)juce::jmin (cells, (juce::int64)cellCount);

            for (int k = cellCount - cleared; k < cellCount; ++k)
                map[k] = TapeDefectCell{};
        }
    }

    // Playheads after the region move up with the tape; one inside it lands on the cut.
    if (track.position > out)
        track.position -= cut;
    else if (track.position > in)
        track.position = in;
}

void TavrelDelayAudioProcessor::cutLoopRegion()
{
    const auto start = loopIn.load();
    const auto end = loopOut.load();

    if (! (start < end))
        return;

    // A save, load, export or import at work reads or rebuilds the tracks (and may itself hold
    // processing suspended, which this cut must not lift): the cut is not made meanwhile.
    const juce::ScopedTryLock saving (saveLock);

    if (! saving.isLocked() || isSuspended())
        return;

    const ProcessingHold hold (*this);

    // Sample indices at the rate the tape is held at, which is the device's rate while the
    // reel plays; the region is kept on the tape (a loop end past the end of the tape cuts
    // only to the end, a start before it only from the start).
    const auto& reference = tracks.front();
    const auto rate = reference.sampleRate;
    const auto length = reference.getAudio().getNumSamples();
    const auto out = (int)juce::jlimit (0.0, (double)length, rate * end);
    const auto in = (int)juce::jlimit (0.0, (double)length, rate * start);
    const auto cut = out - in;

    if (cut > 0 && cut < length)
    {
        for (auto& track : tracks)
        {
            if (track.sampleRate == rate)
            {
                cutTrackRegion (track, in, out);
            }
            else
            {
                // Not expected (a reel's tracks share one rate), but then the region is the
                // same stretch of tape in seconds.
                const auto scale = track.sampleRate / rate;
                cutTrackRegion (track, (int)(in * scale), (int)(out * scale));
            }
        }

        loopEnabled = false;
        setZeroPoint();
    }
}
