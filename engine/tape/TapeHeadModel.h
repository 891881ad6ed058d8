#pragma once

#include "engine/tape/TapeBandFilterBank.h"
#include "engine/tape/TapeBiquad.h"
#include "engine/tape/TapeDefectCell.h"
#include "engine/tape/TapeNoise.h"

#include <juce_audio_basics/juce_audio_basics.h>

#include <array>
#include <cmath>
#include <vector>

/** The record/play head of one track: what colours the signal on its way onto the tape
    (noise print, pre-emphasis, biased saturation, 10 Hz high-pass) and on its way back
    (defect-driven read offsets, the eight-band defect filter bank, de-emphasis, head bump,
    tape-format equaliser, bandwidth low-pass, hiss), and the defect map of the track.

    A plain value: a copy duplicates the defect map and every filter state. Everything here
    runs on the audio thread inside the block callback (or on the offline renderer's thread
    while processing is suspended); the defect brushes write single cell values from the
    message thread. */
class TapeHeadModel
{
public:
    /** Cells of the defect map: 1/400 s each, so the map loops every 30 s of tape. */
    static constexpr int defaultCellCount = 12000;
    static constexpr double cellsPerSecond = 400.0;
    static constexpr int numBands = TapeBandFilterBank::numBands;

    /** Centre frequency of band filter k (k = 0..7): 60 Hz times (800/3)^(k/7), in single
        precision, so the bands run from 60 Hz to 16 kHz. */
    static float getBandCentreFrequency (int band) noexcept;

    /** Designs every filter for the rate and, on the first call, creates the defect map.
        Keeps an existing 12000-cell map (a reel's defects survive a device restart). The
        format equaliser is not designed here: setFormat must follow before playback. */
    void prepare (double newSampleRate);

    /** Applies the tape-format equaliser (0 "1 inch Master" .. 3 "Cassette"); does nothing
        when the format is the one applied last. */
    void setFormat (int format) noexcept;

    /** Designs the head-bump high-pass (Q 1.5) at the frequency; nothing when unchanged. */
    void setHeadBump (float frequencyHz) noexcept;

    /** Per-block targets of hiss and bandwidth, the noise-print switch, and the tape age:
        an age that moved by more than 0.05 regenerates the age defects. */
    void setNoiseAndAge (float newHissLevel, float age, float bandwidthHz, bool noisePrint);

    /** Wipes the defect map (painted defects included) and paints the spots of the age:
        (int) (age x 800) spots from a generator seeded with 12345, so the same age always
        gives the same map. */
    void regenerateAgeDefects (float age) noexcept;

    /** Paints one spot of a defect kind (TapeDefectKind) into one lane: a parabola of
        half-width halfWidthSeconds and height strength around the position (in samples of
        the tape at the head's rate). */
    void paintSpot (double positionSamples, int lane, int kind, float halfWidthSeconds, float strength) noexcept;

    /** Sets every lane of every cell to 0. */
    void clearDefects() noexcept;

    /** One sample through the record chain; recordGate scales the printed noise. */
    float recordSample (float in, float drive, float recordGate) noexcept;

    /** recordSample for a run of samples whose hiss steps and noise draws were taken by the
        caller in recordSample's order: the printed noise of each sample comes in as the two
        terms below (null when no noise is printed). Gives exactly what recordSample gives. */
    void recordRun (const float* inputs, const float* drives, const float* inputNoise, const float* outputNoise,
                    float* recorded, int numSamples) noexcept;

    /** The noise printed onto the tape ahead of the saturation, and after it (with the wander). */
    static float getPrintedInputNoise (float hiss, float noise, float recordGate) noexcept
    {
        return (2.0f * noise - 1.0f) * (hiss * 0.0004f) * recordGate;
    }

    static float getPrintedOutputNoise (float noise, float currentWander, float recordGate) noexcept
    {
        return ((noise - 0.5f) * 0.0002f + currentWander * 0.00025f) * recordGate;
    }

    /** The next value of the slow random walk that tilts the worn bands. */
    static float stepWander (float currentWander, float noise) noexcept
    {
        return juce::jlimit (-1.0f, 1.0f, ((noise - 0.5f) * 0.002f + currentWander) * 0.999f);
    }

    /** Stands for a recordSample whose result nobody uses (a track that is not armed and is
        not fading out a recording): advances the hiss ramp only. The next recordSample starts
        the chain from the state it settles into on silence, so that arming a track later
        writes no thump. */
    void skipRecordSample() noexcept
    {
        hissLevel.getNextValue();
        recordChainIdle = true;
    }

    /** One sample through the playback chain, reading the tape at readPosition (samples)
        with the defects of the cell under positionSeconds. A track never written
        (recordedLength < 1) plays only hiss. */
    float playbackSample (const juce::AudioBuffer<float>& tape, double readPosition, double positionSeconds,
                          double speed, int recordedLength) noexcept;

    //==============================================================================
    // playbackSample in its steps, for the block path of TapeTrack, which runs the steps
    // over many samples in turn. Called in this order per sample they give exactly
    // playbackSample, with its two noise draws passed in (wander first, then hiss).

    /** Decodes the cell under the head and moves the defect-driven offsets; returns the read
        offset in samples. */
    double advanceDefects (double positionSeconds, double speed) noexcept;
    /** The tape at the read position (interpolated, wrapped around the tape). */
    float readTape (const juce::AudioBuffer<float>& tape, double readPosition, double offset) const noexcept;
    /** Moves the wander and runs the band bank with the lanes' gains; 0 when unrecorded. */
    float filterBands (float x, float wanderNoise, int recordedLength) noexcept;
    /** What readRun calls before each read, with the read's index in the run: a recording
        track writes the tape there, so that a play head close behind the record head reads
        what was written a moment before. Returns the recorded length the read then sees. */
    struct BeforeRead
    {
        int (*call) (void* context, int read);
        void* context;
    };

    /** advanceDefects, readTape and filterBands for a run of samples of a tape that is not
        empty: the band sums of the run. */
    void readRun (const juce::AudioBuffer<float>& tape, const double* readPositions, const double* positionSeconds,
                  const double* speeds, const float* wanderNoise, int recordedLength, float* bandSums,
                  int numSamples, BeforeRead beforeRead = {nullptr, nullptr}) noexcept;
    /** readRun uses AVX registers for the band bank where the processor has them (the same
        result either way); a test turns that off to run the narrow path too. */
    static void setWideRegistersAllowed (bool allowed) noexcept;

    /** The hiss added to one sample. */
    static float getHissTerm (double speed, float hiss, float hissNoise) noexcept
    {
        // Hiss fades with the tape speed.
        return juce::jmin (1.0f, (float)std::abs (speed)) * (2.0f * hissNoise - 1.0f) * hiss * 0.0004f;
    }
    /** De-emphasis, head bump and format equaliser, then finishAfterChain. */
    float finishSample (float bandSum, float hissTerm) noexcept;
    /** The de-emphasis, head bump and format equaliser over a run of band sums, in place. */
    void filterChain (float* samples, int numSamples) noexcept;
    /** filterChain and finishAfterChain over a run of band sums, in place; the splice
        thump starts again at the samples marked in thumpAt. */
    void finishRun (float* samples, const float* hissTerms, const bool* thumpAt, int numSamples) noexcept;
    /** True when finishRun over these samples takes its usual case: every section of the
        chain designed, the bandwidth at rest, no splice thump sounding or starting. */
    bool canFinishRunTogether (const bool* thumpAt, int numSamples) const noexcept;
    /** finishRun in its usual case for up to four heads over runs of the same length, one head
        per SIMD lane: gives each head exactly what its own finishRun gives. Every head must
        pass canFinishRunTogether. */
    static void finishRunTogether (TapeHeadModel* const* heads, float* const* samples, const float* const* hissTerms,
                                   int numHeads, int numSamples) noexcept;
    /** Bandwidth low-pass, hiss and splice thump of one sample after the chain. */
    float finishAfterChain (float y, float hissTerm) noexcept;

    //==============================================================================
    int formatCache = -1;
    float headBumpCache = -1.0f;
    double sampleRate = 44100.0;
    int cellCount = 0;
    std::vector<TapeDefectCell> defects;
    alignas (16) std::array<float, numBands> laneEnvelope{};
    TapeBandFilterBank bandFilters;
    TapeBiquad headBumpFilter;
    TapeBiquad emphasisFilter;
    TapeBiquad deEmphasisFilter;
    TapeBiquad formatLowShelf;
    TapeBiquad formatPeak;
    TapeBiquad formatHighShelf;
    TapeBiquad dcBlocker;
    float bandwidthState = 0.0f;
    float lastAge = 0.0f;
    float wander = 0.0f;
    float dragAmount = 0.0f;
    juce::SmoothedValue<float, juce::ValueSmoothingTypes::Linear> hissLevel{0.0f};
    juce::SmoothedValue<float, juce::ValueSmoothingTypes::Linear> bandwidth{20000.0f};
    bool noisePrintEnabled = false;
    TapeNoise random;
    double wobblePhase = 0.0;
    double spliceOffset = 0.0;
    double dropoutLag = 0.0;
    float spliceThump = 0.0f;

private:
    static float flushTiny (float x) noexcept { return std::abs (x) < 1.0e-15f ? 0.0f : x; }

    /** Bias, drive and the soft clip of the record head. */
    static float saturate (float emphasised, float drive) noexcept
    {
        // The small bias makes the saturation asymmetric, as a real biased tape is.
        const auto y = (emphasised + 0.05f) * drive;

        if (y < -3.0f)
            return -1.0f;

        if (y > 3.0f)
            return 1.0f;

        return y * (y * y + 27.0f) / (9.0f * y * y + 27.0f);
    }

    void settleIdleRecordChain (float drive) noexcept;

#if JUCE_USE_SSE_INTRINSICS && defined(__GNUC__)
    // readRun with the eight bands in one AVX register, on processors that have it: the same
    // arithmetic lane by lane, without fused operations.
    static bool hasWideRegisters() noexcept;
    __attribute__ ((target ("avx"))) void readRunWide (const juce::AudioBuffer<float>& tape,
                                                       const double* readPositions, const double* positionSeconds,
                                                       const double* speeds, const float* wanderNoise,
                                                       int recordedLength, float* bandSums, int numSamples,
                                                       BeforeRead beforeRead) noexcept;
#endif
    int cellIndexFor (double positionSeconds) const noexcept;
    void decodeCell (const TapeDefectCell& cell) noexcept;
    float getBandwidthCoefficient (float currentBandwidth) noexcept;

    // The cell under the head changes only 400 times a second: its decoded form is kept and
    // reused while the cell's values stay the same (they are compared every sample, so a
    // brush stroke under the head is heard at once).
    TapeDefectCell decodedCell;
    bool decodedCellValid = false;
    bool decodedCellClear = true;
    bool envelopesAtRest = true;
    bool recordChainIdle = false;
    float dragSum = 0.0f, crinkleSum = 0.0f, flutterSum = 0.0f, spliceSum = 0.0f, dropoutSum = 0.0f;
    alignas (16) std::array<float, numBands> laneAmounts{};

    double inverseSampleRate = 1.0 / 44100.0;
    float coefficientBandwidth = -1.0f, bandwidthCoefficient = 0.0f;
};
