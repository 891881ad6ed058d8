#pragma once

#include "effects/RawBiquad.h"
#include "effects/SpringDispersion.h"

#include <juce_audio_basics/juce_audio_basics.h>

#include <array>
#include <vector>

/** The built-in reverb. Algorithm 1 (Spring) is a network of its own: input high-pass and saturation,
    a chain of short all-pass filters for the spring's dispersion, and an eight-line feedback delay
    network mixed by a Hadamard matrix. Algorithms 2 to 4 (Plate, Hall, Dream) run juce::Reverb with
    their own room size and damping. Both end in a smoothed wet/dry mix and a constant-power pan of
    the wet signal.

    prepare() allocates; setParameters() and process() are real-time safe and run on the audio thread. */
class ReverbEngine
{
public:
    enum Algorithm
    {
        Spring = 1,
        Plate = 2,
        Hall = 3,
        Dream = 4
    };

    static constexpr int numLines = 8;
    static constexpr int scratchSize = 4096;

    ReverbEngine();

    /** Allocates and clears every line, stage and filter for a sample rate. Not concurrent with process. */
    void prepare (double newSampleRate);

    /** algorithm 1..4; decay, damping and mix 0..1; pan -1..1. Values outside are clamped. */
    void setParameters (int newAlgorithm, float decay, float damping, float newMix, float pan) noexcept;

    /** Processes channel 0 (left) and, when present, channel 1 (right) in place; one channel runs in mono. */
    void process (juce::AudioBuffer<float>& buffer) noexcept;

    int getAlgorithm() const noexcept { return algorithm; }
    double getSampleRate() const noexcept { return sampleRate; }
    bool isPrepared() const noexcept { return ! lines[0].empty(); }
    int getLineLength (int line) const noexcept;
    int getDispersionStageLength() const noexcept;
    float getSpringFeedback() const noexcept { return springFeedback; }
    float getSpringDrive() const noexcept { return springDrive; }
    float getLineLowPassFrequency() const noexcept { return lineLowPassHz; }
    float getPanLeft() const noexcept { return panLeft; }
    float getPanRight() const noexcept { return panRight; }

private:
    void processSpring (float* left, float* right, int numSamples) noexcept;
    void runDelayNetwork (float* left, float* right, const float* dispersed, int numSamples) noexcept;
    void processRoom (float* left, float* right, int numSamples) noexcept;
    void setLineLowPass (float frequency) noexcept;

    juce::Reverb reverb;
    int algorithm = Plate;
    double sampleRate = 44100.0;
    float panLeft = 1.0f, panRight = 1.0f;
    juce::SmoothedValue<float, juce::ValueSmoothingTypes::Linear> mix;
    juce::AudioBuffer<float> scratch;

    float springFeedback = 0.8f;
    float springDrive = 1.0f;
    float lineLowPassHz = 5000.0f;
    RawBiquad inputHighPass;
    RawBiquad toneLeft, toneRight;
    RawBiquad lineLowPass;                                  // the coefficients shared by the eight lines
    std::array<float, numLines> lineState1{}, lineState2{}; // each line's filter state
    SpringDispersion dispersion;
    std::array<std::vector<float>, numLines> lines;
    std::array<int, numLines> linePos{};
    std::vector<float> springInput; // the dispersed input of one chunk
    std::vector<float> lineFrames;  // the lines' outputs over a chunk, eight per sample

    JUCE_DECLARE_NON_COPYABLE (ReverbEngine)
};
