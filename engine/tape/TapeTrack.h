#pragma once

#include "engine/tape/TapeBiquad.h"
#include "engine/tape/TapeHeadModel.h"

#include <juce_audio_basics/juce_audio_basics.h>
#include <juce_core/juce_core.h>

#include <array>
#include <atomic>

/** One track of the reel: the whole tape of the track held in memory (one channel at the
    reel's rate), its head, the console input section in front of it (trim and the
    three-band EQ that sits before or after the tape) and the smoothing of its controls.

    A value type kept in a std::vector: a copy duplicates the audio, the defect map and every
    filter and smoother state. The block stage calls the per-block setters and then process
    once per sample; everything but dirty belongs to the audio thread while processing runs. */
class TapeTrack
{
public:
    /** The shortest tape a track holds, in samples. */
    static constexpr int minimumLength = 1024;

    TapeTrack() = default;
    TapeTrack (const TapeTrack& other);
    TapeTrack (TapeTrack&& other) noexcept;
    TapeTrack& operator= (const TapeTrack& other);
    TapeTrack& operator= (TapeTrack&& other) noexcept;

    /** Sizes the tape for tapeSeconds at sampleRate (a rate of 0 or less means 44100) and
        prepares the head and the smoothers; disarms the track. A tape of the same length
        keeps its audio, another length starts silent. Position, recorded length, the dirty
        flag and the loop are left alone.

        Fails, changing nothing, for a rate outside 8 to 192 kHz or a length over an hour;
        when the memory for the tape cannot be had, fails and leaves the shortest tape. */
    juce::Result prepare (double newSampleRate, double tapeSeconds);

    /** The number of samples prepare gives a tape of that length at that rate. */
    static juce::int64 getLengthInSamples (double sampleRate, double tapeSeconds) noexcept;

    //==============================================================================
    // Per-block settings, called before the sample loop in this order.
    void setOutputGain (float gain) noexcept;
    void setTrim (float newTrim) noexcept;
    void setEq (double rate, float high, float midGain, float midFreq, float low) noexcept;
    void setLoop (double loopInSeconds, double loopOutSeconds, bool enabled) noexcept;
    void setDrive (float newDrive) noexcept;

    /** One sample: records the input when recording and armed, moves the tape by speed,
        and returns what the track puts out (input or tape, as monitored). */
    float process (float input, double speed, float newHeadGapMs, bool recording, int monitorMode,
                   int recordOffsetSamples, bool muteInputMonitor, bool elasticWrite, bool eqBeforeTape,
                   bool soundOnSound) noexcept;

    /** The settings of process() that stay the same over a run of samples. */
    struct RunSettings
    {
        float headGapMs = 0.0f;
        bool recording = false;
        int monitorMode = 0;
        int recordOffsetSamples = 0;
        bool muteInputMonitor = false;
        bool elasticWrite = true;
        bool eqBeforeTape = false;
        bool soundOnSound = false;
    };

    /** process() for a run of samples, each with its own speed: gives exactly what calling
        process() sample by sample would, but runs the head's filters stage by stage over the
        run, which is much faster. */
    void processBlock (const float* input, const double* speeds, float* output, int numSamples,
                       const RunSettings& settings) noexcept;

    /** The longest run the steps of processBlock take at once, and the most tracks
        processBlockGroup runs side by side. */
    static constexpr int maxChunk = 256;
    static constexpr int maxGroup = 4;

    /** What the steps of a run hand on to the next: one per track of a group. Large: keep it
        out of small stacks. */
    struct RunScratch
    {
        std::array<float, maxChunk> gains, drives, inputs, wanderNoise, hissTerms, recordGates, recorded, inputNoise,
            outputNoise, playing, bandSums, tapeShares;
        std::array<double, maxChunk> playPoints, readPoints, readSeconds, readSpeeds, writePoints, writeSpeeds;
        std::array<bool, maxChunk> inRange, wrapped;
        int numSamples = 0, numInRange = 0;
    };

    /** processBlock for up to maxGroup tracks over the same speeds, each with its own input,
        output and settings: gives every track exactly what its own processBlock gives, but
        runs the usual case of the heads' filter chains for all of them at once. */
    static void processBlockGroup (TapeTrack* const* tracks, const float* const* inputs, const double* speeds,
                                   float* const* outputs, const RunSettings* settings, int numTracks, int numSamples,
                                   RunScratch* scratch) noexcept;

    double getPositionSeconds() const noexcept { return position / sampleRate; }
    void setPositionSeconds (double seconds) noexcept { position = seconds * sampleRate; }

    void setArmed (bool shouldBeArmed) noexcept { armed = shouldBeArmed; }
    bool isArmed() const noexcept { return armed; }

    juce::AudioBuffer<float>& getAudio() noexcept { return audio; }
    const juce::AudioBuffer<float>& getAudio() const noexcept { return audio; }
    TapeHeadModel& getHead() noexcept { return head; }
    const TapeHeadModel& getHead() const noexcept { return head; }

    /** Another thread reading the tape (a save) takes the sequence before it reads and asks
        wasWrittenSince afterwards: true when the audio thread wrote the tape in between, or
        was writing it when the read began. */
    juce::uint32 getWriteSequence() const noexcept { return writeSequence.load (std::memory_order_acquire); }
    bool wasWrittenSince (juce::uint32 sequence) const noexcept
    {
        // A read-modify-write rather than a fence: it keeps the reads of the tape before it,
        // and ThreadSanitizer understands it (it does not model fences).
        return (sequence & 1u) != 0 || writeSequence.fetch_add (0u, std::memory_order_acq_rel) != sequence;
    }

    //==============================================================================
    std::atomic<bool> dirty{false};
    double sampleRate = 44100.0;
    juce::AudioBuffer<float> audio;
    TapeHeadModel head;
    float meterLevel = 0.0f;
    bool armed = true;
    double position = 0.0;
    double loopStart = 0.0;
    double loopEnd = 0.0;
    bool loopEnabled = false;
    float lastOutput = 0.0f;
    float spliceFadeFrom = 0.0f;
    bool spliceFadeActive = false;
    int spliceFadeCount = 0;
    int spliceFadeLength = 200;
    juce::SmoothedValue<float, juce::ValueSmoothingTypes::Linear> headGapMs{0.0f};
    juce::SmoothedValue<float, juce::ValueSmoothingTypes::Linear> outputGain{0.0f};
    juce::SmoothedValue<float, juce::ValueSmoothingTypes::Linear> drive{0.0f};
    juce::SmoothedValue<float, juce::ValueSmoothingTypes::Linear> monitorTape{0.0f};
    juce::SmoothedValue<float, juce::ValueSmoothingTypes::Linear> recordGate{0.0f};
    /** Samples of the tape holding a recording. The audio thread raises it while a save
        thread reads it: atomic, and relaxed on the audio thread's side. */
    std::atomic<int> recordedLength{0};
    TapeBiquad eqHigh;
    TapeBiquad eqMid;
    TapeBiquad eqLow;
    float trim = 1.0f;
    std::array<float, 4> eqCache{-1.0f, -1.0f, -1.0f, -1.0f};

private:
    double inverseSampleRate = 1.0 / 44100.0;

    /** Odd while the audio thread writes the tape. Not copied: saves and copies of the track
        list never overlap (both hold the processor's save lock). */
    mutable std::atomic<juce::uint32> writeSequence{0};

    void beginTapeWrite() noexcept
    {
        // Odd before the first sample is written: the acquiring increment keeps the writes
        // after it.
        writeSequence.fetch_add (1u, std::memory_order_acq_rel);
    }

    void endTapeWrite() noexcept
    {
        writeSequence.store (writeSequence.load (std::memory_order_relaxed) + 1u, std::memory_order_release);
    }

    void copyStateFrom (const TapeTrack& other);
    float applyConsoleEq (float x) noexcept;
    void runChunk (const float* input, const double* speeds, float* output, int numSamples,
                   const RunSettings& settings, RunScratch& scratch) noexcept;
    void runHeadSteps (const float* input, const double* speeds, int numSamples, const RunSettings& settings,
                       RunScratch& scratch) noexcept;
    bool canRunHeadChainTogether (const RunScratch& scratch) const noexcept;
    void runHeadChain (RunScratch& scratch) noexcept;
    void runOutputSteps (float* output, const RunSettings& settings, RunScratch& scratch) noexcept;
    void runMonitorMix (const RunSettings& settings, RunScratch& scratch) noexcept;
    bool canRunConsoleEqTogether (const RunSettings& settings) const noexcept;
    void runConsoleEq (const RunSettings& settings, RunScratch& scratch) noexcept;
    static void runConsoleEqTogether (TapeTrack* const* tracks, RunScratch* const* scratch, int numTracks,
                                      int numSamples) noexcept;
    /** Without meters the caller has moved the meter over the run already. */
    void runOutputFinish (float* output, const RunSettings& settings, RunScratch& scratch,
                          bool meters = true) noexcept;
    /** The peak meter's level after a run of samples: it jumps up to a louder sample and
        falls by 0.5 % a sample. */
    static float followMeter (float level, const float* samples, int numSamples) noexcept;
    static void followMetersTogether (float* levels, const float* const* samples, int numTracks,
                                      int numSamples) noexcept;
    /** Tape samples [from, to) that an erase with the gate fully open left at +-0 and that no
        write has touched since, within one run of writes (nothing else writes the tape then). */
    struct ErasedStretch
    {
        int from = 0, to = 0;
    };

    void writeElastic (double writePoint, float value, float gate, double speed, bool soundOnSound,
                       ErasedStretch* erased = nullptr) noexcept;
    void writeDirect (double writePoint, float value, float gate, bool soundOnSound) noexcept;
    void wrapLoop() noexcept;

    void raiseRecordedLength (int reach) noexcept
    {
        if (reach > recordedLength.load (std::memory_order_relaxed))
            recordedLength.store (reach, std::memory_order_relaxed);
    }
    bool wrapLoopPosition() noexcept;

    /** One step of the crossfade from the output before a loop's splice. */
    float stepSpliceFade (float out) noexcept
    {
        const auto n = spliceFadeCount++;
        const auto ratio = (float)n / (float)spliceFadeLength;

        if (spliceFadeCount >= spliceFadeLength)
            spliceFadeActive = false;

        return (1.0f - ratio) * spliceFadeFrom + ratio * out;
    }
};
