// Importing an audio file onto one track, or a stereo file onto two neighbouring tracks, as if
// it had been recorded there: resampled to the reel's rate and written through the record
// chain of a fresh head.

#include "engine/ParameterIds.h"
#include "engine/ReelEditGuard.h"
#include "engine/TavrelDelayAudioProcessor.h"
#include "storage/GuardedAudioReader.h"

#include <memory>

namespace
{
/** Samples decoded, resampled and written per step: the file is streamed, never held whole. */
constexpr int importChunk = 65536;

/** Rates closer than this count as the same: the file is copied as it is. */
constexpr double sameRateTolerance = 1.0;
} // namespace

juce::Result TavrelDelayAudioProcessor::importAudioToTrack (const juce::File& file, int track, double startSeconds,
                                                            bool splitStereo, float drive, float inputGain,
                                                            bool ignoreReverse)
{
    if (! juce::isPositiveAndBelow (track, numTracks))
        return juce::Result::fail ("There is no track " + juce::String (track + 1) + " on this reel.");

    juce::String refused;
    auto reader = GuardedAudioReader::open (audioFormatManager, file, &refused);

    if (reader == nullptr)
        return juce::Result::fail (refused);

    const auto fileChannels = (int)reader->numChannels;
    const auto fileLength = reader->lengthInSamples;

    if (fileChannels < 1 || fileLength < 1 || reader->sampleRate <= 0.0)
        return juce::Result::fail ("The file \"" + file.getFileName() + "\" holds no audio.");

    const ReelEditGuard guard (*this);

    if (! juce::isPositiveAndBelow (track, juce::jmin (numTracks, (int)tracks.size())))
        return juce::Result::fail ("There is no track " + juce::String (track + 1) + " on this reel.");

    // Targets: the first two channels on two tracks, or every channel mixed onto one.
    const bool split = splitStereo && fileChannels > 1 && track < numTracks - 1 && track + 1 < (int)tracks.size();
    const int numTargets = split ? 2 : 1;
    const int channelsRead = split ? 2 : fileChannels;

    const auto reelRate = tracks[(size_t)track].sampleRate;
    const auto tapeLength = tracks[(size_t)track].getAudio().getNumSamples();
    const auto start = (juce::int64) (reelRate * startSeconds);
    const bool reverse = ! ignoreReverse && parameters.getRawParameterValue (ParameterIds::REVERSE)->load() > 0.5f;

    const bool resample = std::abs (reader->sampleRate - reelRate) >= sameRateTolerance;
    const auto ratio = resample ? reader->sampleRate / reelRate : 1.0;
    const auto convertedLength = resample ? (juce::int64) ((double)fileLength / ratio) : fileLength;

    // Only what lands on the tape is decoded: forwards up to its end, backwards down to its start.
    const auto fits = reverse ? start + 1 : (juce::int64)tapeLength - start;
    const auto count = juce::jmin (convertedLength, fits);

    if (count < 1)
        return juce::Result::fail ("The file \"" + file.getFileName() + "\" starts beyond the end of the tape.");

    juce::AudioBuffer<float> input (channelsRead, (int)std::ceil (importChunk * ratio) + 8);
    juce::AudioBuffer<float> converted (numTargets, importChunk);
    juce::LagrangeInterpolator interpolators[2];
    std::unique_ptr<TapeHeadModel> heads[2];

    for (int t = 0; t < numTargets; ++t)
    {
        heads[t] = std::make_unique<TapeHeadModel>();
        heads[t]->prepare (reelRate);
        // Settled on silence, as a head that has been idle: the import starts without a thump
        // from the bias.
        heads[t]->skipRecordSample();
        tracks[(size_t)(track + t)].getAudio().setNotClear();
    }

    juce::int64 filePosition = 0;
    bool readFailed = false;

    for (juce::int64 done = 0; done < count;)
    {
        const auto n = (int)juce::jmin ((juce::int64)importChunk, count - done);
        const auto inputNeeded = resample ? juce::jmin (input.getNumSamples(), (int)std::ceil (n * ratio) + 4) : n;

        // Past the end of the file the reader gives silence, which the interpolator may need.
        if (! reader->read (&input, 0, inputNeeded, filePosition, true, true))
            readFailed = true;

        if (! split && channelsRead > 1)
        {
            for (int ch = 1; ch < channelsRead; ++ch)
                input.addFrom (0, 0, input, ch, 0, inputNeeded);

            input.applyGain (0, 0, inputNeeded, 1.0f / (float)channelsRead);
        }

        int consumed = n;

        for (int t = 0; t < numTargets; ++t)
        {
            if (resample)
                consumed = interpolators[t].process (ratio, input.getReadPointer (t), converted.getWritePointer (t), n,
                                                     inputNeeded, 0);
            else
                converted.copyFrom (t, 0, input, t, 0, n);
        }

        filePosition += consumed;

        for (int t = 0; t < numTargets; ++t)
        {
            auto& head = *heads[t];
            auto* tape = tracks[(size_t)(track + t)].getAudio().getWritePointer (0);
            const auto* source = converted.getReadPointer (t);

            for (int i = 0; i < n; ++i)
            {
                const auto offset = done + i;
                const auto index = reverse ? start - offset : start + offset;
                const auto value = head.recordSample (source[i] * inputGain, drive, 1.0f);

                if (index >= 0 && index < tapeLength)
                    tape[index] = value;
            }
        }

        done += n;
    }

    const auto reach = (int)juce::jmin ((juce::int64)tapeLength, reverse ? start : start + count);

    for (int t = 0; t < numTargets; ++t)
    {
        auto& target = tracks[(size_t)(track + t)];
        target.recordedLength = juce::jmax (target.recordedLength.load(), reach);
        target.dirty = true;

        if (auto* monitor = parameters.getParameter (ParameterIds::forTrack (ParameterIds::MON_, track + t + 1)))
            monitor->setValueNotifyingHost (monitor->convertTo0to1 (1.0f));
    }

    if (readFailed)
        return juce::Result::fail ("Part of the file \"" + file.getFileName() + "\" could not be read.");

    return juce::Result::ok();
}
