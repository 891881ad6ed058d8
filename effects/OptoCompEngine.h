#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

#include <atomic>

/** The opto compressor: a gain knob, a peak-reduction knob setting the threshold, and a Compress (3:1)
    or Limit (20:1) mode, with a program-dependent release (fast while more than 3 dB is taken off,
    slow below). Channels are detected together and share one gain.

    The members are plain so the slot's owner can prepare the engine inline (sample rate, envelope and
    meter cleared); process() runs on the audio thread, meterReductionDb is read by the editor's meter. */
class OptoCompEngine
{
public:
    enum Mode
    {
        Compress = 0,
        Limit = 1
    };

    /** Sets the sample rate and clears the envelope and the meter. */
    void prepare (double newSampleRate) noexcept;

    /** gain and peakReduction 0..100; limitMode non-zero for Limit. */
    void setParameters (float gain, float peakReduction, int limitMode) noexcept;

    /** Compresses every channel in place with one linked gain. */
    void process (juce::AudioBuffer<float>& buffer) noexcept;

    double sampleRate = 44100.0;
    float envelopeDb = 0.0f; // current gain reduction in dB (0 or positive)
    float thresholdDb = 0.0f;
    float makeupDb = 0.0f;
    float ratio = 3.0f;
    std::atomic<float> meterReductionDb{0.0f}; // average reduction of the last block
};
