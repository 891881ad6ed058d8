// The sources-and-tape stage of the block callback: the aux bus hand-over, the instrument
// slots, each track's input routing with its record-path inserts, and the tape loop: the
// latency burst, the tape mechanics and automatic wear sample by sample, the tape tracks and
// the click track.

#include "engine/TavrelDelayAudioProcessor.h"

#include "instruments/MonoSynthEngine.h"
#include "instruments/PolySynthEngine.h"
#include "instruments/RhythmEngine.h"
#include "instruments/StageKeyboardEngine.h"
#include "instruments/TannerinEngine.h"

#include <algorithm>
#include <cmath>

namespace
{
constexpr int maxPluginChannels = 64;
constexpr int numInstrumentChannels = 16;
constexpr int latencyBurstSamples = 4000;  // the burst ends once the counter passes this
constexpr int latencyListenLimit = 72000;  // no echo by then: the measurement gives up
constexpr int latencyLowestOffset = -2000; // a result below this is taken as no offset

/** Resizes a block buffer that preparation sized, without reallocating and without clearing. */
void useFirst (juce::AudioBuffer<float>& buffer, int numChannels, int numSamples) noexcept
{
    buffer.setSize (numChannels, numSamples, false, false, true);
}

int pluginChannels (const juce::AudioPluginInstance& plugin) noexcept
{
    return juce::jmax (plugin.getTotalNumInputChannels(), plugin.getTotalNumOutputChannels());
}

/** The kinds of track input, resolved once per block from the source codes. */
enum SourceKind
{
    sourceInputBuffer, // device inputs, instrument slots and unused codes below 200 (silent)
    sourceTrack,       // the last output of another track
    sourceAux,         // a channel of the previous block's aux bus
    sourceSilence
};

struct TrackSource
{
    SourceKind kind = sourceSilence;
    const float* samples = nullptr; // input buffer or aux bus channel
    int otherTrack = -1;
    int recordOffset = 0;
    bool muteInputMonitor = false;
};
} // namespace

//==============================================================================
void TavrelDelayAudioProcessor::startLatencyMeasurement()
{
    // One measurement at a time; a running one ends by itself within 72000 samples.
    if (latencyMeasureActive.load())
        return;

    // Phase and counter first: the audio thread reads them only once it sees the flag.
    latencyMeasureCounter.store (0, std::memory_order_relaxed);
    latencyMeasurePhase.store (1, std::memory_order_relaxed);
    latencyMeasureActive.store (true, std::memory_order_release);
}

//==============================================================================
void TavrelDelayAudioProcessor::handOverAuxBuses (int numSamples) noexcept
{
    // Tracks fed from an aux bus hear what the mixer sent to it one block earlier. Swapping the
    // buffers hands the bus over without copying it.
    const auto handOver = [numSamples] (juce::AudioBuffer<float>& bus, juce::AudioBuffer<float>& previous)
    {
        if (bus.getNumSamples() > 0)
            std::swap (bus, previous);

        useFirst (bus, 2, numSamples);
        bus.clear();
    };

    handOver (aux1Bus, aux1BusPrevious);
    handOver (aux2Bus, aux2BusPrevious);
}

//==============================================================================
void TavrelDelayAudioProcessor::routeKeyboardEvents (const juce::MidiBuffer& keyboard, int target) noexcept
{
    // A note begins at the slot the keyboards play now and ends where it began: moving the
    // target while a key is down must not leave the first instrument holding the note.
    int event = 0;

    for (const auto metadata : keyboard)
    {
        if (event >= (int)keyboardEventSlots.size())
            break;

        auto to = target;
        const auto status = metadata.numBytes >= 3 ? metadata.data[0] & 0xf0 : 0;

        if (status == 0x80 || status == 0x90)
        {
            auto& slot = keyboardNoteSlots[(size_t)(metadata.data[0] & 0x0f)][(size_t)(metadata.data[1] & 0x7f)];
            const bool begins = status == 0x90 && metadata.data[2] > 0;

            if (begins)
                slot = (juce::int8)juce::jlimit (-1, 127, target);
            else if (slot != noSlot)
                to = slot;

            if (! begins)
                slot = noSlot;
        }

        keyboardEventSlots[(size_t)event++] = to;
    }
}

void TavrelDelayAudioProcessor::renderInstrumentSlots() noexcept
{
    const auto n = block.numSamples;
    useFirst (instrumentOutputs, numInstrumentChannels, n);
    instrumentOutputs.clear();

    auto& keyboard = block.keyboardMidi;
    keyboard.clear();
    keyboardNotes.drainInto (keyboard);

    const auto keyboardTarget = keyboardTargetSlot.load();
    routeKeyboardEvents (keyboard, keyboardTarget);
    const bool rolling = block.rolling;
    auto& midi = block.slotMidi;

    for (int s = 0; s < (int)instruments.size() && 2 * s < numInstrumentChannels; ++s)
    {
        auto* slot = instruments[(size_t)s].get();

        if (slot == nullptr)
            continue;

        auto* plugin = slot->instance.get();
        const auto channels =
            plugin != nullptr ? juce::jlimit (2, maxPluginChannels, juce::jmax (2, pluginChannels (*plugin))) : 2;

        useFirst (instrumentRenderBuffer, channels, n);
        instrumentRenderBuffer.clear();

        // The slot's MIDI: every channel, or only its own channel plus system exclusive.
        midi.clear();
        const auto channel = slot->midiChannel;

        if (channel == 0)
        {
            midi.addEvents (block.filteredMidi, 0, -1, 0);
        }
        else
        {
            for (const auto metadata : block.filteredMidi)
            {
                const auto status = metadata.numBytes > 0 ? metadata.data[0] : 0;
                const bool onChannel = status >= 0x80 && status < 0xf0 && (status & 0x0f) + 1 == channel;

                if (onChannel || status == 0xf0)
                    midi.addEvent (metadata.data, metadata.numBytes, metadata.samplePosition);
            }
        }

        int event = 0;

        for (const auto metadata : keyboard)
        {
            const auto to = event < (int)keyboardEventSlots.size() ? keyboardEventSlots[(size_t)event] : keyboardTarget;
            ++event;

            if (to == -1 || to == s)
                midi.addEvent (metadata.data, metadata.numBytes, metadata.samplePosition);
        }

        if (plugin != nullptr)
        {
            plugin->processBlock (instrumentRenderBuffer, midi);
        }
        else
        {
            switch (slot->builtInType)
            {
                case 1:
                    if (slot->monoEngine != nullptr)
                        slot->monoEngine->renderNextBlock (instrumentRenderBuffer, midi);
                    break;
                case 2:
                    if (slot->rhythmEngine != nullptr)
                        slot->rhythmEngine->renderNextBlock (instrumentRenderBuffer, midi, bpm, rolling);
                    break;
                case 3:
                    if (slot->polyEngine != nullptr)
                        slot->polyEngine->renderNextBlock (instrumentRenderBuffer, midi);
                    break;
                case 4:
                    if (slot->tannerinEngine != nullptr)
                        slot->tannerinEngine->renderNextBlock (instrumentRenderBuffer, midi);
                    break;
                case 5:
                    if (slot->keyboardEngine != nullptr)
                        slot->keyboardEngine->renderNextBlock (instrumentRenderBuffer, midi);
                    break;
                default:
                    break;
            }
        }

        instrumentOutputs.copyFrom (2 * s, 0, instrumentRenderBuffer, 0, 0, n);
        instrumentOutputs.copyFrom (2 * s + 1, 0, instrumentRenderBuffer, juce::jmin (1, channels - 1), 0, n);
    }
}

//==============================================================================
void TavrelDelayAudioProcessor::routeTrackInputs (const juce::AudioBuffer<float>& deviceInput) noexcept
{
    const auto n = block.numSamples;

    for (int i = 0; i < block.activeTracks && i < (int)trackInputBuffers.size(); ++i)
    {
        auto& input = trackInputBuffers[(size_t)i];
        auto* in = input.getWritePointer (0);
        juce::FloatVectorOperations::clear (in, n);

        // Device and instrument sources are copied here; the other codes are read per sample.
        const auto source = trackInputSources[(size_t)i];
        const float* from = nullptr;

        if (source >= 0 && source <= 23 && source < deviceInput.getNumChannels())
            from = deviceInput.getReadPointer (source);
        else if (source >= 100 && source <= 115 && source - 100 < instrumentOutputs.getNumChannels())
            from = instrumentOutputs.getReadPointer (source - 100);

        if (from != nullptr)
            juce::FloatVectorOperations::copyWithMultiply (in, from, block.trim[(size_t)i], n);

        // Record-path inserts, in chain order, each on the mono result of the one before.
        for (const auto& slot : inputInserts)
        {
            if (slot == nullptr || slot->targetTrack != i || slot->bypass ||
                (slot->instance == nullptr && slot->builtInType == 0))
                continue;

            auto* plugin = slot->instance.get();
            const auto wide = plugin != nullptr ? pluginChannels (*plugin) : 2;

            // A plug-in wider than stereo gets all the channels it asks for.
            auto& work = wide > 2 ? masterInsertBuffer : trackInsertBuffer;
            useFirst (work, juce::jlimit (2, maxPluginChannels, wide), n);
            work.clear();
            work.copyFrom (0, 0, in, n);
            work.copyFrom (1, 0, in, n);

            if (plugin != nullptr)
            {
                block.emptyMidi.clear();
                plugin->processBlock (work, block.emptyMidi);
            }
            else
            {
                runInsertEffect (*slot, work);
            }

            juce::FloatVectorOperations::add (in, work.getReadPointer (0), work.getReadPointer (1), n);
            juce::FloatVectorOperations::multiply (in, 0.5f, n);
        }
    }
}

//==============================================================================
void TavrelDelayAudioProcessor::runTapeLoop (juce::AudioBuffer<float>& buffer) noexcept
{
    auto& b = block;
    const auto n = b.numSamples;
    const auto rate = b.sampleRate;

    // The device input has been routed: the buffer becomes the output.
    buffer.clear();
    auto* left = buffer.getWritePointer (0);
    auto* right = buffer.getNumChannels() > 1 ? buffer.getWritePointer (1) : nullptr;

    const auto state = transportState.load();
    const auto target = b.speedTarget;
    const bool rolling = state == transportPlay || state == transportRecord;
    const bool recording = state == transportRecord && std::abs (tapeMechanics.getSpeed()) > 0.95 * std::abs (target);
    b.transport = state;
    b.rolling = rolling;
    b.recording = recording;

    const auto recordOffset = (int)BlockParameters::read (blockParameters.recOffset, 0.0f);
    const bool muteMonitor = BlockParameters::isOn (blockParameters.directMon);
    const auto activeTracks = b.activeTracks;

    // Each track's source, resolved once for the block.
    std::array<TrackSource, maxTracks> sources;
    std::array<float*, maxTracks> outputs{};

    for (int i = 0; i < activeTracks; ++i)
    {
        auto& output = trackOutputBuffers[(size_t)i];
        outputs[(size_t)i] = output.getWritePointer (0);
        juce::FloatVectorOperations::clear (outputs[(size_t)i], n);

        const auto code = trackInputSources[(size_t)i];
        auto& source = sources[(size_t)i];

        if (code < 200)
        {
            source.kind = sourceInputBuffer;
            source.samples = trackInputBuffers[(size_t)i].getReadPointer (0);
        }
        else if (code < 300)
        {
            const auto other = code - 200;
            source.kind = other < activeTracks && other != i ? sourceTrack : sourceSilence;
            source.otherTrack = other;
        }
        else if (code <= 303)
        {
            const auto& bus = code <= 301 ? aux1BusPrevious : aux2BusPrevious;
            const auto channel = (code - 300) % 2;
            const bool usable = bus.getNumSamples() >= n && channel < bus.getNumChannels();
            source.kind = usable ? sourceAux : sourceSilence;
            source.samples = usable ? bus.getReadPointer (channel) : nullptr;
        }

        // The device's own delay is taken off what it records.
        if (code >= 0 && code <= 99)
        {
            source.recordOffset = juce::jmax (0, recordOffset + deviceLatencySamples);
            source.muteInputMonitor = muteMonitor;
        }
    }

    // The metronome is a tape too, with the tracks' head settings and a flat console EQ.
    if (clickTrack != nullptr)
    {
        auto& head = clickTrack->getHead();
        head.setNoiseAndAge (b.hissLevel, b.age, b.bandwidth, b.noisePrint);
        head.setHeadBump (b.headBumpHz);
        head.setFormat (b.format);
        clickTrack->setEq (rate, 1.0f, 1.0f, 1000.0f, 1.0f);
        clickTrack->setLoop (loopIn.load(), loopOut.load(), loopEnabled.load());
    }

    auto commanded = (double)speedSmoother.getCurrentValue();
    const auto& p = blockParameters;
    const auto wearInterval = (int)(rate * 0.1);
    const auto* firstInput = trackInputBuffers.empty() ? nullptr : trackInputBuffers.front().getReadPointer (0);
    const auto wanderGain = b.age * 0.95f + (b.autoWear ? 0.05f : 0.0f);
    const bool scrubbing = state == transportScrub;

    // Everything of one sample that comes before the tracks: the latency burst, the tension
    // jerk, the speed law, the mechanics and automatic wear. Returns the tape speed; wear, when
    // due, runs through wearDue so that the caller can finish the tracks up to it first.
    const auto controlSample = [&] (int s, const auto& wearDue)
    {
        // Driver-latency measurement: a noise burst, then listening on track 1 for its echo.
        if (latencyMeasureActive.load (std::memory_order_acquire))
        {
            const auto counter = latencyMeasureCounter.load (std::memory_order_relaxed) + 1;
            latencyMeasureCounter.store (counter, std::memory_order_relaxed);
            const auto phase = latencyMeasurePhase.load (std::memory_order_relaxed);

            if (phase == 1)
            {
                const auto noise = (wearRandom.nextFloat() * 2.0f - 1.0f) * 0.8f;
                left[s] += noise;

                if (right != nullptr)
                    right[s] += noise;

                if (counter > latencyBurstSamples)
                    latencyMeasurePhase.store (2, std::memory_order_relaxed);
            }
            else if (phase == 2)
            {
                if (firstInput != nullptr && std::abs (firstInput[s]) > 0.1f)
                {
                    auto measured = counter - deviceLatencySamples;

                    if (measured < latencyLowestOffset)
                        measured = 0;

                    latencyMeasurePhase.store (0, std::memory_order_relaxed);
                    postMeasuredLatency (measured);
                }
                else if (counter > latencyListenLimit)
                {
                    latencyMeasurePhase.store (0, std::memory_order_relaxed);
                    latencyMeasureActive.store (false);
                }
            }
        }

        // The tension jerk: a random walk driven by drag defects under track 1 and the
        // digital finger, kicked now and then by an aged tape.
        if (rolling)
        {
            const auto drag = tracks.front().getHead().dragAmount * 5.0f + b.digitalFinger;

            if (drag > 0.01f)
                speedWander = ((wearRandom.nextFloat() - 0.5f) * 0.2f * drag + speedWander) * 0.9999f;
            else
                speedWander *= 0.98f;

            if (wanderGain > 0.05f && wearRandom.nextFloat() < wanderGain * 0.0001f)
            {
                const auto kick = (wearRandom.nextFloat() + 0.5f) * (wanderGain * 10.0f + 2.0f);
                speedWander += wearRandom.nextFloat() > 0.5f ? kick : -kick;
            }

            speedWander = juce::jlimit (-100.0f, 100.0f, speedWander);
        }
        else
        {
            speedWander *= 0.95f;
        }

        const bool syncLock = BlockParameters::isOn (p.syncLock);

        // Start and stop inertia: a one-pole approach to the target.
        if (! scrubbing && std::abs (target - commanded) > 0.0001)
            commanded += ((std::abs (target) > 0.01 ? 3.5 : 6.0) / rate) * (target - commanded);
        else
            commanded = target;

        tapeMechanics.targetSpeed = commanded;
        tapeMechanics.advance (b.armGrabbed, b.armAngle, b.wow, b.flutter, b.format, speedWander, syncLock);
        const auto speed = tapeMechanics.getSpeed();

        if (b.autoWear && std::abs (speed) > 0.1 && ++wearTickCounter > wearInterval)
        {
            wearDue (s);
            generateRandomDefects (b.wearRate);
            wearTickCounter = 0;
        }

        return speed;
    };

    // Tape monitoring follows the tape's speed: full while playing, faint while winding.
    const auto tapeMonitorGain = [rolling, scrubbing] (double speed)
    {
        const auto magnitude = std::abs (speed);

        if (rolling)
            return (float)juce::jmin (magnitude, 1.0);

        if (scrubbing)
            return 1.0f;

        return magnitude >= 1.0 ? 0.3f : (float)magnitude * 0.3f;
    };

    const auto headGapFor = [&b, recording] (const TapeTrack& track, bool punchIn)
    {
        const auto gap = punchIn ? 0.0f : b.headGap;

        if (recording)
            return track.isArmed() ? juce::jmax (2.5f, gap) : 0.0f;

        return gap;
    };

    const auto sampleOf = [&] (int i, int s)
    {
        const auto& source = sources[(size_t)i];

        switch (source.kind)
        {
            case sourceInputBuffer:
            case sourceAux:
                return source.samples[s];
            case sourceTrack:
                return tracks[(size_t)source.otherTrack].lastOutput;
            case sourceSilence:
            default:
                return 0.0f;
        }
    };

    const auto finishSample = [&] (int i, float y, float monitorGain)
    {
        const auto t = (size_t)i;

        if (b.phase[t])
            y = -y;

        return b.monitor[t] == 1 ? y * monitorGain : y;
    };

    const auto processTrackSample = [&] (int i, int s, double speed, bool punchIn, float monitorGain)
    {
        const auto t = (size_t)i;
        auto& track = tracks[t];
        const auto& source = sources[t];
        const auto y = track.process (sampleOf (i, s), speed, headGapFor (track, punchIn), recording, b.monitor[t],
                                      source.recordOffset, source.muteInputMonitor, b.elasticWrite, b.eqBeforeTape[t],
                                      b.soundOnSound);
        outputs[t][s] = finishSample (i, y, monitorGain);
    };

    const auto clickSample = [&] (int s, double speed, bool punchIn)
    {
        if (clickTrack == nullptr)
            return;

        const auto clickGap = recording || punchIn ? 0.0f : b.headGap;
        const auto click =
            clickTrack->process (0.0f, speed, clickGap, false, 1, 0, false, b.elasticWrite, false, false) *
            BlockParameters::read (p.clickVol, 0.0f);
        left[s] += click;

        if (right != nullptr)
            right[s] += click;
    };

    // A track that listens to another track needs every track sample by sample.
    const bool tracksListenToTracks =
        std::any_of (sources.begin(), sources.begin() + activeTracks,
                     [] (const TrackSource& source) { return source.kind == sourceTrack; });

    if (tracksListenToTracks)
    {
        for (int s = 0; s < n; ++s)
        {
            const auto speed = controlSample (s, [] (int) {});
            const bool punchIn = BlockParameters::isOn (p.punchIn);
            const auto monitorGain = tapeMonitorGain (speed);

            for (int i = 0; i < activeTracks; ++i)
                processTrackSample (i, s, speed, punchIn, monitorGain);

            clickSample (s, speed, punchIn);
        }
    }
    else
    {
        // Track 1 runs with the mechanics, sample by sample, since its drag defects jerk the
        // tension arm. The other tracks follow in runs over the speeds of a stretch of samples,
        // which is exactly what they would give sample by sample but runs their filters in
        // tight loops. A stretch ends early where automatic wear paints new defects or the
        // punch-in switch changes, so that every track meets them at the same sample.
        auto& speeds = b.chunkSpeeds;
        auto& monitorGains = b.chunkMonitorGains;

        for (int chunkStart = 0; chunkStart < n; chunkStart += BlockState::chunkLength)
        {
            const auto chunkEnd = juce::jmin (n, chunkStart + BlockState::chunkLength);
            auto runStart = chunkStart;
            auto runPunchIn = BlockParameters::isOn (p.punchIn);

            const auto runOtherTracks = [&] (int runEnd)
            {
                const auto length = runEnd - runStart;

                if (length <= 0)
                    return;

                const auto* runSpeeds = speeds.data() + (runStart - chunkStart);
                const auto* runGains = monitorGains.data() + (runStart - chunkStart);

                // Four tracks at a time, so that their heads' filter chains share the work.
                for (int first = 1; first < activeTracks; first += TapeTrack::maxGroup)
                {
                    const auto count = juce::jmin (TapeTrack::maxGroup, activeTracks - first);
                    std::array<TapeTrack*, TapeTrack::maxGroup> group{};
                    std::array<const float*, TapeTrack::maxGroup> inputs{};
                    std::array<float*, TapeTrack::maxGroup> groupOutputs{};
                    std::array<TapeTrack::RunSettings, TapeTrack::maxGroup> settings{};

                    for (int g = 0; g < count; ++g)
                    {
                        const auto t = (size_t)(first + g);
                        auto& track = tracks[t];
                        const auto& source = sources[t];
                        group[(size_t)g] = &track;
                        inputs[(size_t)g] = source.samples != nullptr ? source.samples + runStart : b.silence.data();
                        groupOutputs[(size_t)g] = outputs[t] + runStart;

                        auto& s = settings[(size_t)g];
                        s.headGapMs = headGapFor (track, runPunchIn);
                        s.recording = recording;
                        s.monitorMode = b.monitor[t];
                        s.recordOffsetSamples = source.recordOffset;
                        s.muteInputMonitor = source.muteInputMonitor;
                        s.elasticWrite = b.elasticWrite;
                        s.eqBeforeTape = b.eqBeforeTape[t];
                        s.soundOnSound = b.soundOnSound;
                    }

                    TapeTrack::processBlockGroup (group.data(), inputs.data(), runSpeeds, groupOutputs.data(),
                                                  settings.data(), count, length, b.tapeScratch.data());

                    for (int g = 0; g < count; ++g)
                    {
                        const auto t = (size_t)(first + g);
                        auto* output = groupOutputs[(size_t)g];

                        if (b.phase[t])
                            juce::FloatVectorOperations::negate (output, output, length);

                        if (b.monitor[t] == 1)
                            juce::FloatVectorOperations::multiply (output, runGains, length);
                    }
                }

                runStart = runEnd;
            };

            for (int s = chunkStart; s < chunkEnd; ++s)
            {
                const auto speed = controlSample (s, runOtherTracks);
                const bool punchIn = BlockParameters::isOn (p.punchIn);

                if (punchIn != runPunchIn)
                {
                    runOtherTracks (s);
                    runPunchIn = punchIn;
                }

                const auto monitorGain = tapeMonitorGain (speed);
                speeds[(size_t)(s - chunkStart)] = speed;
                monitorGains[(size_t)(s - chunkStart)] = monitorGain;

                if (activeTracks > 0)
                    processTrackSample (0, s, speed, punchIn, monitorGain);

                clickSample (s, speed, punchIn);
            }

            runOtherTracks (chunkEnd);
        }
    }

    speedSmoother.setCurrentAndTargetValue ((float)commanded);
}
