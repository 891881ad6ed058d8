#pragma once

#include <juce_audio_basics/juce_audio_basics.h>
#include <juce_core/juce_core.h>

#include <memory>
#include <vector>

/** The built-in multi-effect: one sine oscillator, a pair of modulated delay lines and a four-stage
    all-pass chain serve seven effects. P1 is the depth (the drive for Distortion); P2 the oscillator
    rate (the wet/dry mix for Distortion), or with sync on a note value of the tempo.

    prepare() allocates; setParameters() and process() are real-time safe and run on the audio thread. */
class MultiModulatorEngine
{
public:
    enum EffectType
    {
        Phaser = 0,
        Flanger = 1,
        Chorus = 2,
        Adt = 3,
        Distortion = 4,
        Vibrato = 5,
        Tremolo = 6
    };

    static constexpr int numSyncRates = 6;

    /** Oscillator cycles per beat with sync on: one bar of 4/4, half, quarter, eighth, sixteenth, 32nd. */
    static constexpr float syncRateMultipliers[numSyncRates] = {0.25f, 0.5f, 1.0f, 2.0f, 4.0f, 8.0f};

    MultiModulatorEngine();

    /** Sizes and zeroes both lines; resets the phase, the write position and the phaser states. */
    void prepare (double newSampleRate);

    /** type 0..6 (others pass the signal); p1 and p2 0..1, values outside are clamped. */
    void setParameters (int type, float p1, float p2, bool sync, double bpm) noexcept;

    /** Channel 0 is left, channel 1 right; a one-channel buffer runs with right = left and only
        channel 0 is written. Further channels are not touched. */
    void process (juce::AudioBuffer<float>& buffer) noexcept;

    /** The line's signal `seconds` ago, linearly interpolated (read before the current sample is written). */
    float readDelay (const std::vector<float>& line, float seconds) const noexcept;

    /** Index 0..5 into syncRateMultipliers for a P2 setting. */
    static int getSyncRateIndex (float p2) noexcept;

    /** Oscillator rate in Hz for a P2 setting: 0.1..15 Hz free, or the synced note rate at that tempo. */
    static float getRateHz (float p2, bool sync, double bpm) noexcept;

    double getSampleRate() const noexcept { return sampleRate; }
    bool isPrepared() const noexcept { return lineLeft.size() >= 2; }
    int getLineLength() const noexcept { return (int)lineLeft.size(); }
    int getEffectType() const noexcept { return effectType; }
    float getRateHz() const noexcept { return rateHz; }
    float getAmount() const noexcept { return amount; }
    float getDistortionMix() const noexcept { return distortionMix; }
    float getDrive() const noexcept { return drive; }

private:
    juce::Random random;
    std::vector<float> lineLeft, lineRight;
    int writePos = 0;
    double sampleRate = 44100.0;
    float rateHz = 1.0f;
    float amount = 0.5f;
    float distortionMix = 0.5f;
    float drive = 1.0f;
    float phase = 0.0f;
    float adtDrift = 0.0f;
    int effectType = Phaser;
    float phaserLeft[4] = {};
    float phaserRight[4] = {};

    JUCE_DECLARE_NON_COPYABLE (MultiModulatorEngine)
};

/** A new multi-effect at its initial settings with a randomly seeded drift source; prepare() before use. */
std::unique_ptr<MultiModulatorEngine> makeMultiModulatorEngine();
