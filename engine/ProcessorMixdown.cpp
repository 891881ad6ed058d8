// The offline mixdown renderer: the playback half of the block callback (tape, track inserts,
// mixer, aux returns, master section) run as fast as the machine allows on the caller's
// thread, written as a stereo 24-bit file.
//
// The file is rendered beside the target under a temporary name and moved over the target
// only when the whole range was written, so a cancelled or failed render never costs the
// user an earlier mixdown.

#include "engine/ParameterIds.h"
#include "engine/ReelEditGuard.h"
#include "engine/TavrelDelayAudioProcessor.h"
#include "platform/Platform.h"

#include <cmath>

namespace
{
namespace Id = ParameterIds;

constexpr int streamBufferBytes = 16384;
constexpr int progressInterval = 50;   // blocks between progress reports
constexpr double prerollSeconds = 0.5; // tape played before the start and not written
constexpr double blockLimitSlackSeconds = 10.0;
constexpr float outputTrim = 0.35f;
constexpr int maxInsertChannels = 64;

float rawValue (juce::AudioProcessorValueTreeState& parameters, const juce::String& id, float fallback) noexcept
{
    if (auto* value = parameters.getRawParameterValue (id))
        return value->load();

    return fallback;
}

bool isAutomationPlaying (int mode) noexcept
{
    return mode == TavrelDelayAudioProcessor::automationRead || mode == TavrelDelayAudioProcessor::automationTouch ||
           mode == TavrelDelayAudioProcessor::automationLatch;
}

float clampOutput (float x) noexcept
{
    if (! std::isfinite (x))
        return 0.0f;

    return juce::jlimit (-1.0f, 1.0f, x);
}

using Processor = TavrelDelayAudioProcessor;

/** A built-in insert effect on a buffer, as the block callback runs it. */
void runBuiltInInsert (Processor& processor, Processor::InsertPlugin& slot, juce::AudioBuffer<float>& buffer) noexcept
{
    processor.runInsertEffect (slot, buffer);
}

/** One aux return's effect on its 2-channel bus: a hosted plug-in (through a wider buffer
    when it has more channels than the bus), else the built-in reverb or tape echo. */
void renderAuxEffect (Processor& processor, juce::AudioPluginInstance* plugin, int builtInType,
                      juce::AudioBuffer<float>& bus, juce::AudioBuffer<float>& wide, juce::MidiBuffer& noMidi)
{
    auto& parameters = processor.parameters;

    if (plugin != nullptr)
    {
        const auto width = juce::jmax (plugin->getTotalNumInputChannels(), plugin->getTotalNumOutputChannels());

        if (width <= 2)
        {
            plugin->processBlock (bus, noMidi);
            return;
        }

        const auto n = bus.getNumSamples();
        wide.setSize (juce::jmin (width, maxInsertChannels), n, false, false, true);
        wide.clear();
        wide.copyFrom (0, 0, bus, 0, 0, n);
        wide.copyFrom (1, 0, bus, 1, 0, n);
        plugin->processBlock (wide, noMidi);
        bus.copyFrom (0, 0, wide, 0, 0, n);
        bus.copyFrom (1, 0, wide, 1, 0, n);
        return;
    }

    if (builtInType == 1)
    {
        processor.aux1Reverb.setParameters (
            (int)rawValue (parameters, Id::INT_REV_TYPE, 0.0f) + 1, rawValue (parameters, Id::INT_REV_DECAY, 0.5f),
            rawValue (parameters, Id::INT_REV_DAMP, 0.5f), rawValue (parameters, Id::INT_REV_MIX, 0.5f),
            rawValue (parameters, Id::INT_REV_PAN, 0.0f));
        processor.aux1Reverb.process (bus);
    }
    else if (builtInType == 2)
    {
        processor.aux2Echo.setParameters (
            rawValue (parameters, Id::INT_ECHO_TIME, 300.0f), rawValue (parameters, Id::INT_ECHO_FB, 0.4f),
            (int)rawValue (parameters, Id::INT_ECHO_AGE, 0.0f) + 1, rawValue (parameters, Id::INT_ECHO_MIX, 0.5f),
            rawValue (parameters, Id::INT_ECHO_PAN, 0.0f), rawValue (parameters, Id::INT_ECHO_SYNC, 0.0f) > 0.5f,
            processor.bpm, 1.0f);
        processor.aux2Echo.process (bus);
    }
}

/** The master inserts, in chain order, on the output's kept samples. */
void renderMasterInserts (Processor& processor, juce::AudioBuffer<float>& output, juce::AudioBuffer<float>& work,
                          juce::MidiBuffer& noMidi)
{
    const auto n = output.getNumSamples();

    for (auto& slot : processor.masterInserts)
    {
        if (slot == nullptr || slot->bypass || (slot->instance == nullptr && slot->builtInType == 0))
            continue;

        auto ins = output.getNumChannels(), outs = output.getNumChannels();

        if (slot->instance != nullptr)
        {
            ins = slot->instance->getTotalNumInputChannels();
            outs = slot->instance->getTotalNumOutputChannels();
        }

        const auto channels = juce::jlimit (1, maxInsertChannels, juce::jmax (output.getNumChannels(), ins, outs));
        work.setSize (channels, n, false, false, true);
        work.clear();

        for (int ch = 0; ch < output.getNumChannels(); ++ch)
            work.copyFrom (ch, 0, output, ch, 0, n);

        if (slot->instance != nullptr)
            slot->instance->processBlock (work, noMidi);
        else
            runBuiltInInsert (processor, *slot, work);

        for (int ch = 0; ch < output.getNumChannels(); ++ch)
            output.copyFrom (ch, 0, work, ch, 0, n);
    }
}

OfflineRenderResult failure (const juce::String& message)
{
    OfflineRenderResult result;
    result.outcome = OfflineRenderResult::Outcome::failed;
    result.error = message;
    return result;
}
} // namespace

OfflineRenderResult TavrelDelayAudioProcessor::renderOfflineMixdown (const juce::File& target, double start, double end,
                                                                     std::function<bool (float)> progress,
                                                                     juce::Array<int> excluded, bool ignoreVarispeed)
{
    //==============================================================================
    // What to render, checked before anything is touched.
    auto speed = 1.0;

    if (! ignoreVarispeed)
    {
        speed = rawValue (parameters, Id::VARISPEED, 1.0f);

        if (rawValue (parameters, Id::REVERSE, 0.0f) > 0.5f)
            speed = -speed;
    }

    if (! (speed > 0.0))
        return failure ("A mixdown cannot be rendered while the tape runs backwards or stands still.");

    if (target.getFullPathName().isEmpty() || target.isDirectory())
        return failure ("No file to write the mixdown to was given.");

    auto* format = audioFormatManager.findFormatForFileExtension (target.getFileExtension().substring (1));

    if (format == nullptr)
        format = audioFormatManager.findFormatForFileExtension ("wav");

    if (format == nullptr)
        return failure ("No audio format can write the mixdown.");

    const juce::TemporaryFile partial (target, juce::TemporaryFile::useHiddenFile);
    std::unique_ptr<juce::AudioFormatWriter> writer;

    //==============================================================================
    // Everything below owns the reel: no save, edit or block callback runs meanwhile.
    OfflineRenderResult result;
    {
        const ReelEditGuard guard (*this);

        const auto rate = tracks.empty() ? getSampleRate() : tracks.front().sampleRate;

        // The effect engines and the mechanics are made ready when the device starts.
        if (rate <= 0.0 || getSampleRate() <= 0.0)
            return failure ("The audio device has not started yet.");

        {
            auto stream = std::make_unique<juce::FileOutputStream> (partial.getFile(), streamBufferBytes);

            if (stream->openedOk())
                writer.reset (format->createWriterFor (stream.get(), rate, 2, 24, {}, 0));

            if (writer == nullptr)
                return failure ("The file \"" + target.getFullPathName() + "\" cannot be written.");

            stream.release(); // the writer owns it now
        }

        const auto blockSize = getBlockSize() >= 1 ? getBlockSize() : 512;
        const auto activeTracks = juce::jmin (numTracks, (int)tracks.size());
        const auto zero = zeroOffset.load();
        const auto startTape = start + zero;
        const auto total = (juce::int64) (juce::jmax (0.01, end - start) / juce::jmax (0.01, speed) * rate);
        const auto prerollStart = juce::jmax (0.0, startTape - prerollSeconds);

        // The loop is bounded in blocks: twice the blocks the pre-roll and the range need, and
        // ten seconds more for the mechanics to settle.
        const auto expectedSamples = (double)total + (startTape - prerollStart) / speed * rate;
        const auto maxBlocks = 2 * (juce::int64)std::ceil (expectedSamples / blockSize) +
                               (juce::int64)std::ceil (blockLimitSlackSeconds * rate / blockSize);

        // Working buffers, owned by the call.
        juce::AudioBuffer<float> mix (2, blockSize), aux1 (2, blockSize), aux2 (2, blockSize), output (2, blockSize);
        juce::AudioBuffer<float> trackBuffers (juce::jmax (1, activeTracks), blockSize);
        juce::AudioBuffer<float> insertBuffer (2, blockSize);
        std::vector<double> speeds ((size_t)blockSize);
        const std::vector<float> noInput ((size_t)blockSize, 0.0f);
        std::vector<double> positions ((size_t)blockSize);
        std::vector<bool> keep ((size_t)blockSize);
        juce::MidiBuffer noMidi;

        // Processor state restored at the end.
        const auto savedSpeed = tapeMechanics.getSpeed();
        std::vector<double> savedPositions;

        for (auto& track : tracks)
            savedPositions.push_back (track.getPositionSeconds());

        for (auto& track : tracks)
        {
            track.setPositionSeconds (prerollStart);
            // The render plays straight through, whatever the live loop says; the next live
            // block sets the loop again.
            track.setLoop (0.0, 0.0, false);
        }

        // Taken once for the whole render.
        const auto masterVolume = rawValue (parameters, Id::MASTER_VOL, 1.0f);
        std::array<bool, maxTracks> silenced{};
        std::array<int, maxTracks> monitorModes{};
        bool anySolo = false;

        for (int k = 0; k < activeTracks; ++k)
            anySolo = anySolo || rawValue (parameters, Id::forTrack (Id::SOLO_, k + 1), 0.0f) > 0.5f;

        for (int k = 0; k < activeTracks; ++k)
        {
            const auto muted = rawValue (parameters, Id::forTrack (Id::MUTE_, k + 1), 0.0f) > 0.5f;
            const auto soloed = rawValue (parameters, Id::forTrack (Id::SOLO_, k + 1), 0.0f) > 0.5f;
            silenced[(size_t)k] = muted || (anySolo && ! soloed) || excluded.contains (k);
            monitorModes[(size_t)k] = (int)rawValue (parameters, Id::forTrack (Id::MON_, k + 1), 0.0f);
        }

        tapeMechanics.targetSpeed = speed;
        speedSmoother.setCurrentAndTargetValue ((float)speed);

        // A channel's gain: its automation lane while the lane plays, else its fader.
        auto* const automationRows = automationData.getNumSamples() > 0 ? &automationData : nullptr;

        std::array<juce::RangedAudioParameter*, numChannels> faderParameters{};
        std::array<std::atomic<float>*, numChannels> faderValues{};
        std::array<bool, numChannels> lanePlays{};

        for (int channel = 0; channel < numChannels; ++channel)
        {
            const auto id = Id::forChannelVolume (channel);
            faderParameters[(size_t)channel] = parameters.getParameter (id);
            faderValues[(size_t)channel] = parameters.getRawParameterValue (id);
            lanePlays[(size_t)channel] = automationRows != nullptr && channel < automationRows->getNumChannels() &&
                                         faderParameters[(size_t)channel] != nullptr &&
                                         isAutomationPlaying (automationModes[(size_t)channel]);
        }

        auto channelGain = [&] (int channel, double seconds, float fallback)
        {
            if (lanePlays[(size_t)channel])
            {
                const auto row =
                    juce::jlimit (0, automationRows->getNumSamples() - 1, (int)(seconds * automationPointsPerSecond));
                return faderParameters[(size_t)channel]->convertFrom0to1 (automationRows->getSample (channel, row));
            }

            auto* value = faderValues[(size_t)channel];
            return value != nullptr ? value->load() : fallback;
        };

        const auto ramp = std::floor (rate * 0.02);
        std::array<juce::SmoothedValue<float>, maxTracks> volumes;

        for (int k = 0; k < activeTracks; ++k)
        {
            volumes[(size_t)k].reset (rate, ramp / rate);
            volumes[(size_t)k].setCurrentAndTargetValue (channelGain (k, juce::jmax (0.0, start), 1.0f));
        }

        juce::SmoothedValue<float> returnGains[2];
        returnGains[0].reset (rate, ramp / rate);
        returnGains[1].reset (rate, ramp / rate);
        returnGains[0].setCurrentAndTargetValue (channelGain (maxTracks, juce::jmax (0.0, start), 0.0f));
        returnGains[1].setCurrentAndTargetValue (channelGain (maxTracks + 1, juce::jmax (0.0, start), 0.0f));

        //==============================================================================
        juce::int64 written = 0;
        auto outcome = OfflineRenderResult::Outcome::failed;
        juce::String error = "The render never reached its start point.";

        for (juce::int64 u = 1; u <= maxBlocks; ++u)
        {
            mix.clear();
            aux1.clear();
            aux2.clear();
            output.clear();

            // Tape settings of the block.
            const auto flutterKnob = rawValue (parameters, Id::FLUTTER, 0.0f);
            const auto wow = rawValue (parameters, Id::WOW, 0.0f);
            const auto tapeFormat = (int)rawValue (parameters, Id::FORMAT, 0.0f);
            const auto flutter = flutterKnob * (tapeFormat == 3 ? 0.7f : 1.0f);
            const auto syncLock = rawValue (parameters, Id::SYNC_LOCK, 0.0f) > 0.5f;
            const auto digitalFinger = rawValue (parameters, Id::DIGITAL_FINGER, 0.0f);
            const auto age = rawValue (parameters, Id::AGE, 0.0f);
            const auto autoWear = rawValue (parameters, Id::DEGRADE_ON, 0.0f) > 0.5f;
            const auto noise = rawValue (parameters, Id::NOISE, 0.0f);
            const auto drive = rawValue (parameters, Id::DRIVE, 1.0f);
            const auto noisePrint = rawValue (parameters, Id::DISABLE_NOISE, 0.0f) <= 0.5f;
            const auto headBump = tapeFormat == 0 ? 40.0f : tapeFormat == 1 ? 50.0f : tapeFormat == 2 ? 60.0f : 80.0f;
            const auto headGap = rawValue (parameters, Id::TIME, 0.0f);

            for (int k = 0; k < activeTracks; ++k)
            {
                auto& track = tracks[(size_t)k];
                const auto n = k + 1;
                track.setOutputGain (1.0f);
                track.setEq (rate, rawValue (parameters, Id::forTrack (Id::EQ_HIGH_, n), 0.0f),
                             rawValue (parameters, Id::forTrack (Id::EQ_MID_GAIN_, n), 0.0f),
                             rawValue (parameters, Id::forTrack (Id::EQ_MID_FREQ_, n), 1000.0f),
                             rawValue (parameters, Id::forTrack (Id::EQ_LOW_, n), 0.0f));
                track.getHead().setNoiseAndAge (tapeMechanics.getHissFactor() / 0.00015f * noise, age,
                                                tapeMechanics.getBandwidth(), noisePrint);
                track.getHead().setHeadBump (headBump);
                track.getHead().setFormat (tapeFormat);
                track.setDrive (drive);
            }

            // The mechanics, sample by sample; the tape time under the head before each sample.
            auto p = tracks.empty() ? 0.0 : tracks.front().position;
            const auto referenceRate = tracks.empty() ? rate : tracks.front().sampleRate;
            int kept = 0;

            for (int l = 0; l < blockSize; ++l)
            {
                const auto drag = (tracks.empty() ? 0.0f : tracks.front().getHead().dragAmount) * 5.0f + digitalFinger;

                if (drag > 0.01f)
                    speedWander = ((wearRandom.nextFloat() - 0.5f) * 0.2f * drag + speedWander) * 0.9999f;
                else
                    speedWander *= 0.98f;

                const auto wanderGain = age * 0.95f + (autoWear ? 0.05f : 0.0f);

                if (wanderGain > 0.05f && wearRandom.nextFloat() < wanderGain * 0.0001f)
                {
                    const auto kick = (wearRandom.nextFloat() + 0.5f) * (wanderGain * 10.0f + 2.0f);
                    speedWander += wearRandom.nextFloat() > 0.5f ? kick : -kick;
                }

                speedWander = juce::jlimit (-100.0f, 100.0f, speedWander);

                tapeMechanics.targetSpeed = speed;
                tapeMechanics.advance (false, 0.0f, wow, flutter, tapeFormat, speedWander, syncLock);
                speeds[(size_t)l] = tapeMechanics.getSpeed();
                positions[(size_t)l] = p / referenceRate;
                p += speeds[(size_t)l];

                const auto keepThis = positions[(size_t)l] >= startTape && written + kept < total;
                keep[(size_t)l] = keepThis;
                kept += keepThis ? 1 : 0;
            }

            // The tapes, with no input and nothing recorded.
            for (int k = 0; k < activeTracks; ++k)
            {
                TapeTrack::RunSettings settings;
                settings.headGapMs = headGap;
                settings.monitorMode = monitorModes[(size_t)k];
                settings.elasticWrite = false;
                settings.eqBeforeTape = rawValue (parameters, Id::forTrack (Id::EQ_PRE_, k + 1), 0.0f) > 0.5f;
                tracks[(size_t)k].processBlock (noInput.data(), speeds.data(), trackBuffers.getWritePointer (k),
                                                blockSize, settings);
            }

            // Track inserts, in chain order.
            for (auto& slot : trackInserts)
            {
                if (slot == nullptr || slot->bypass || (slot->instance == nullptr && slot->builtInType == 0) ||
                    ! juce::isPositiveAndBelow (slot->targetTrack, activeTracks))
                    continue;

                const auto t = slot->targetTrack;
                int ins = 2, outs = 2;

                if (slot->instance != nullptr)
                {
                    ins = slot->instance->getTotalNumInputChannels();
                    outs = slot->instance->getTotalNumOutputChannels();
                }

                const auto channels = juce::jlimit (1, maxInsertChannels, juce::jmax (ins, outs));
                insertBuffer.setSize (channels, blockSize, false, false, true);
                insertBuffer.clear();

                if (ins > 0)
                    insertBuffer.copyFrom (0, 0, trackBuffers, t, 0, blockSize);

                if (ins > 1 && channels > 1)
                    insertBuffer.copyFrom (1, 0, trackBuffers, t, 0, blockSize);

                if (slot->instance != nullptr)
                    slot->instance->processBlock (insertBuffer, noMidi);
                else
                    runBuiltInInsert (*this, *slot, insertBuffer);

                trackBuffers.copyFrom (t, 0, insertBuffer, 0, 0, blockSize);

                if (channels > 1)
                {
                    trackBuffers.addFrom (t, 0, insertBuffer, 1, 0, blockSize);
                    trackBuffers.applyGain (t, 0, blockSize, 0.5f);
                }
            }

            // The mixer.
            for (int k = 0; k < activeTracks; ++k)
            {
                const auto n = k + 1;
                const auto pan = rawValue (parameters, Id::forTrack (Id::PAN_, n), 0.0f);
                const auto q = (pan + 1.0f) * 0.5f * 1.5708f;
                const auto leftGain = std::cos (q), rightGain = std::sin (q);
                const auto send1 = rawValue (parameters, Id::forTrack (Id::AUX1_, n), 0.0f);
                const auto send2 = rawValue (parameters, Id::forTrack (Id::AUX2_, n), 0.0f);
                const auto silent = silenced[(size_t)k];
                const auto* source = trackBuffers.getReadPointer (k);
                auto& volume = volumes[(size_t)k];

                for (int l = 0; l < blockSize; ++l)
                {
                    volume.setTargetValue (channelGain (k, positions[(size_t)l] - zero, 1.0f));
                    const auto gain = volume.getNextValue();
                    const auto x = silent ? 0.0f : gain * source[l];

                    mix.addSample (0, l, x * leftGain);
                    mix.addSample (1, l, x * rightGain);
                    aux1.addSample (0, l, x * send1);
                    aux1.addSample (1, l, x * send1);
                    aux2.addSample (0, l, x * send2);
                    aux2.addSample (1, l, x * send2);
                }
            }

            // Aux returns.
            renderAuxEffect (*this, aux1Plugin.get(), aux1BuiltIn, aux1, insertBuffer, noMidi);
            renderAuxEffect (*this, aux2Plugin.get(), aux2BuiltIn, aux2, insertBuffer, noMidi);

            {
                const char* muteIds[] = {Id::AUX1_MUTE, Id::AUX2_MUTE};
                const char* panIds[] = {Id::AUX1_PAN, Id::AUX2_PAN};
                juce::AudioBuffer<float>* buses[] = {&aux1, &aux2};

                for (int r = 0; r < 2; ++r)
                {
                    const auto muted = rawValue (parameters, muteIds[r], 0.0f) > 0.5f;
                    const auto pan = rawValue (parameters, panIds[r], 0.0f);
                    const auto leftPan = pan < 0.0f ? 1.0f : 1.0f - pan;
                    const auto rightPan = pan > 0.0f ? 1.0f : 1.0f + pan;
                    auto& bus = *buses[r];

                    for (int l = 0; l < blockSize; ++l)
                    {
                        const auto value = channelGain (maxTracks + r, positions[(size_t)l] - zero, 0.0f);
                        returnGains[r].setTargetValue (muted ? 0.0f : value);
                        const auto g = returnGains[r].getNextValue();
                        bus.setSample (0, l, bus.getSample (0, l) * g * leftPan);
                        bus.setSample (1, l, bus.getSample (1, l) * g * rightPan);
                    }
                }
            }

            // The kept samples, in order, through the master section into the file.
            if (kept > 0)
            {
                int h = 0;

                for (int l = 0; l < blockSize; ++l)
                {
                    if (! keep[(size_t)l])
                        continue;

                    for (int ch = 0; ch < 2; ++ch)
                        output.setSample (ch, h,
                                          (mix.getSample (ch, l) + aux1.getSample (ch, l) + aux2.getSample (ch, l)) *
                                              outputTrim);

                    ++h;
                }

                juce::AudioBuffer<float> keptOutput (output.getArrayOfWritePointers(), 2, kept);
                renderMasterInserts (*this, keptOutput, insertBuffer, noMidi);

                for (int ch = 0; ch < 2; ++ch)
                {
                    auto* samples = keptOutput.getWritePointer (ch);

                    for (int i = 0; i < kept; ++i)
                        samples[i] = clampOutput (samples[i] * masterVolume);
                }

                if (! writer->writeFromFloatArrays (keptOutput.getArrayOfReadPointers(), 2, kept))
                {
                    error = "Writing the file \"" + target.getFullPathName() + "\" failed.";
                    break;
                }

                written += kept;
            }

            if (written >= total)
            {
                outcome = OfflineRenderResult::Outcome::finished;
                break;
            }

            if (u % progressInterval == 0 && progress && ! progress ((float)((double)written / (double)total)))
            {
                outcome = OfflineRenderResult::Outcome::cancelled;
                break;
            }
        }

        // Back to where the live tape was.
        for (size_t i = 0; i < tracks.size() && i < savedPositions.size(); ++i)
            tracks[i].setPositionSeconds (savedPositions[i]);

        tapeMechanics.targetSpeed = savedSpeed;

        result.outcome = outcome;
        result.samplesWritten = written;

        if (outcome == OfflineRenderResult::Outcome::failed)
            result.error = error;
    }

    // Closing the writer finishes the file; only a complete one replaces the target.
    writer.reset();

    if (result.wasFinished())
    {
        if (progress)
            progress (1.0f);

        if (! Platform::replaceFile (partial.getFile(), target))
            return failure ("The mixdown could not be moved to \"" + target.getFullPathName() + "\".");
    }

    return result;
}
