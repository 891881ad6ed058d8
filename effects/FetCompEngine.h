#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

#include <atomic>

/** The FET compressor: input and output gains, attack and release times and a choice of five ratios
    (4:1, 8:1, 12:1, 20:1 and ALL, which is 100:1) against a fixed -24 dB threshold after the input gain.
    Channels are detected together and share one gain.

    The members are plain so the slot's owner can prepare the engine inline (sample rate, envelope and
    meter cleared); process() runs on the audio thread, meterReductionDb is read by the editor's meter. */
class FetCompEngine
{
public:
    static constexpr int numRatios = 5;
    static constexpr float ratioTable[numRatios] = {4.0f, 8.0f, 12.0f, 20.0f, 100.0f};
    static constexpr float thresholdDb = -24.0f;

    /** Sets the sample rate and clears the envelope and the meter. */
    void prepare (double newSampleRate) noexcept;

    /** Gains in dB (-100 or below is silence), times in milliseconds (attack at least 0.02 ms, release
        at least 10 ms), ratioIndex 0..4; an index outside that range takes the nearest ratio. */
    void setParameters (float inputDb, float outputDb, float attackMs, float releaseMs, int ratioIndex) noexcept;

    /** Compresses every channel in place with one linked gain. */
    void process (juce::AudioBuffer<float>& buffer) noexcept;

    double sampleRate = 44100.0;
    float envelopeDb = 0.0f; // current gain reduction in dB
    float inputGain = 1.0f;
    float outputGain = 1.0f;
    float ratio = 4.0f;
    float attackCoeff = 0.0f;
    float releaseCoeff = 0.0f;
    std::atomic<float> meterReductionDb{0.0f}; // average reduction of the last block
};
