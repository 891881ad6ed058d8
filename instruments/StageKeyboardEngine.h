#pragma once

#include "instruments/VoiceHelpers.h"
#include "instruments/VoiceLanes.h"

#include <juce_audio_basics/juce_audio_basics.h>

#include <memory>

/** One voice of the stage keyboard. Voice state belongs to the audio thread. */
struct StageKeyboardVoice
{
    enum State : int
    {
        idle = 0,
        on = 1,
        released = 2
    };

    int note = -1;            // -1 until first used; a released voice keeps its note
    bool held = false;        // its key is down
    float frequency = 0.0f;   // Hz
    float velocity = 0.0f;    // 0..1
    float age = 0.0f;         // seconds since note-on
    float releaseTime = 0.0f; // seconds since the release began
    int state = idle;
    float modelPhases[5] = {}; // radians, 0..2 pi
    float noiseState = 0.0f;   // low-passed noise of the tack piano

    // age and releaseTime counted in samples, so that they do not drift with rounding
    // however the audio is cut into blocks
    int ageSamples = 0;
    int releaseSamples = 0;

    // The phases as the render keeps them, in cycles 0..1; modelPhases mirrors them in radians.
    float phaseCycles[5] = {};
};

/** The electric piano and organ (built-in instrument type 5): 24 voices playing one
    of six models built from sine oscillators with phase and frequency modulation,
    then a shared two-band tone control, drive into a soft clipper and tremolo. */
class StageKeyboardEngine
{
public:
    static constexpr int numVoices = 24;
    static constexpr int numModels = 6;

    enum Model : int
    {
        rhodes = 0,
        wurli,
        tackPiano,
        fmPiano,
        tonewheel,
        transistor
    };

    /** Model names as the editor shows them, "RHODES" ... "TRANSISTOR"; empty outside 0..5. */
    static const char* getModelName (int model) noexcept;

    StageKeyboardEngine();

    /** Stores the rate and silences every voice. Called on every device start. */
    void prepare (double newSampleRate) noexcept;

    /** Applies the block's MIDI, then adds the block's mono signal to channels 0 and 1. */
    void renderNextBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi) noexcept;

    /** Clamps every setting into its range (for readers of reels and presets). */
    void clampSettings() noexcept;

    /** Number of voices not idle, for meters and tests. */
    int getNumSoundingVoices() const noexcept;

    StageKeyboardVoice voices[numVoices];

    float pitchBend = 0.0f; // semitones, -2..2
    float modWheel = 0.0f;  // 0..1, adds to the tremolo depth

    // Settings, named after their reel and preset attributes.
    int model = rhodes;     // 0..5
    float masterVol = 1.0f; // 0..2
    float drive = 0.0f;     // 0..1
    float bass = 0.0f;      // -1..1, x 12 dB
    float treble = 0.0f;    // -1..1, x 12 dB
    float tremRate = 4.0f;  // Hz, 0.1..15
    float tremDepth = 0.0f; // 0..1

    double sampleRate = 44100.0;
    float tremPhase = 0.0f; // radians
    float lowBand = 0.0f;
    float highSplit = 0.0f;
    bool sustainPedal = false;
    juce::Random random;

private:
    void handleMidiEvent (const VoiceHelpers::MidiEvent& event) noexcept;
    void startNote (int note, int velocity127) noexcept;
    void stopNote (int note) noexcept;
    static void releaseVoice (StageKeyboardVoice& voice) noexcept;

    void renderSoundingVoices (int modelIndex, const int* voiceIndices, int numSounding, float bendFactor,
                               int count) noexcept;
    void renderSoundingVoicesWide (int modelIndex, const int* voiceIndices, int numSounding, float bendFactor,
                                   int count) noexcept;

    void renderInGroups (int modelIndex, const int* voiceIndices, int numSounding, float bendFactor,
                         int count) noexcept;

    template <int ModelIndex>
    void renderVoiceGroup (const int* voiceIndices, int numLanes, float bendFactor, int count) noexcept;

    float mixSum[VoiceHelpers::renderChunk] = {};
    VoiceLanes::Noise laneNoise; // seeded from random; four voices draw at once

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (StageKeyboardEngine)
};

/** A new engine with default settings, not yet prepared. */
std::unique_ptr<StageKeyboardEngine> makeStageKeyboardEngine();
