#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

#include <memory>

/** The built-in tape echo: a stereo delay line of up to three seconds with a gliding delay time,
    optional tempo sync, saturating feedback, tape-age wow with darkening repeats, an input gain that
    feeds both the echo and the dry path, a wet/dry crossfade and a linear balance of the wet signal.

    prepare() allocates; setParameters() and process() are real-time safe and run on the audio thread. */
class TapeEchoEngine
{
public:
    enum Age
    {
        Clean = 1,
        Worn = 2,
        Old = 3
    };

    static constexpr float maxDelayMs = 3000.0f;
    static constexpr int numSyncNotes = 6;

    /** Synced note lengths in beats: half, dotted quarter, quarter, dotted eighth, eighth, sixteenth. */
    static constexpr float syncNoteBeats[numSyncNotes] = {2.0f, 1.5f, 1.0f, 0.75f, 0.5f, 0.25f};

    TapeEchoEngine() = default;

    /** Sizes and clears the line, resets positions, the wow clock and the delay-time glide. */
    void prepare (double newSampleRate);

    /** age 1..3 (Clean, Worn, Old); drive is a linear input gain; with sync on and a tempo above 0 the
        time knob picks a note value. Times are held within the line (0..3000 ms). */
    void setParameters (float timeMs, float newFeedback, int newAge, float newMix, float pan, bool sync, double bpm,
                        float newDrive) noexcept;

    /** Processes the first two channels in place; further channels are not touched. */
    void process (juce::AudioBuffer<float>& buffer) noexcept;

    /** Index 0..5 into syncNoteBeats for a time-knob setting (50 ms gives the half note, 1000 ms the sixteenth). */
    static int getSyncNoteIndex (float timeMs) noexcept;

    /** The delay the engine aims for: the synced note length at that tempo (at most 3 s) or the time itself. */
    static float getEffectiveTimeMs (float timeMs, bool sync, double bpm) noexcept;

    double getSampleRate() const noexcept { return sampleRate; }
    int getLineLength() const noexcept { return delayBuffer.getNumSamples(); }
    float getTargetDelayMs() const noexcept { return delayTime.getTargetValue(); }
    float getPanLeft() const noexcept { return panLeft; }
    float getPanRight() const noexcept { return panRight; }

private:
    juce::AudioBuffer<float> delayBuffer;
    int writePos = 0;
    double sampleRate = 44100.0;
    float feedback = 0.4f;
    float mix = 0.5f;
    float panLeft = 1.0f, panRight = 1.0f;
    int age = Worn;
    // Seconds since prepare, for the wow oscillators. Double: a float clock stops advancing after
    // about eight minutes at 48 kHz, which would freeze the wow.
    double modTime = 0.0;
    float drive = 1.0f;
    float toneState[2] = {0.0f, 0.0f};
    juce::SmoothedValue<float, juce::ValueSmoothingTypes::Linear> delayTime;

    JUCE_DECLARE_NON_COPYABLE (TapeEchoEngine)
};

/** A new echo at its initial settings, without a line until prepare() is called. */
std::unique_ptr<TapeEchoEngine> makeTapeEchoEngine();
