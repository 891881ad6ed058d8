#pragma once

#include "instruments/VoiceHelpers.h"
#include "instruments/VoiceLanes.h"

#include <juce_audio_basics/juce_audio_basics.h>

#include <memory>

/** One voice of the poly synthesizer: two oscillators, noise, a ladder low-pass
    and its own two envelopes. Voice state belongs to the audio thread. */
struct PolyVoice
{
    int note = -1;     // -1: free (also once released)
    bool held = false; // its key is down
    float currentFrequency = 0.0f;
    float targetFrequency = 0.0f;
    float velocity = 0.0f;
    float osc1Phase = 0.0f;
    float osc2Phase = 0.0f;
    float previousOsc2Phase = 0.0f;
    juce::ADSR ampEnvelope;
    juce::ADSR filterEnvelope;
    float filterState[4] = {};
    float smoothedCutoff = 1000.0f;
    int playedNote = 60; // the note last started, kept through the release for key tracking

    /** Free: no note and nothing left to sound. */
    bool isFree() const noexcept { return note < 0 && ! ampEnvelope.isActive(); }
};

/** The ten-voice polyphonic synthesizer (built-in instrument type 3).

    Oscillator A and B with pulse width, hard sync of A to B, poly-mod from B and
    the filter envelope to A's pitch and pulse width and to the cutoff, noise, a
    key-tracked ladder low-pass, and one shared LFO with four shapes.

    Settings are plain fields named after their reel and preset attributes; the
    render reads them once per block, clamped to their ranges. */
class PolySynthEngine
{
public:
    static constexpr int numVoices = 10;

    PolySynthEngine();

    /** Stores the rate and silences every voice. Called on every device start. */
    void prepare (double newSampleRate) noexcept;

    /** Applies the block's MIDI, then adds the block's mono signal to channels 0 and 1. */
    void renderNextBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi) noexcept;

    /** Clamps every setting into its range (for readers of reels and presets). */
    void clampSettings() noexcept;

    /** Number of voices not free, for meters and tests. */
    int getNumSoundingVoices() const noexcept;

    PolyVoice voices[numVoices];

    bool sustainPedal = false;
    float pitchBend = 0.0f; // semitones, -2..2
    float modWheel = 0.0f;  // 0..1

    // Settings, named after their reel and preset attributes.
    float globalTune = 0.0f;        // cents, -100..100
    float masterVol = 1.0f;         // 0..2
    float glide = 0.0f;             // ms, 0..1000 (2 ms used below 2)
    float polyModFEnvFreqA = 0.0f;  // semitones, 0..24
    float polyModOscBFreqA = 0.0f;  // semitones, 0..24
    float polyModOscBFilter = 0.0f; // 0..1, x 5000 Hz
    float polyModOscBPW = 0.0f;     // 0..1, x 0.4
    int osc1Octave = 0;             // -2..2
    int osc2Octave = 0;             // -2..2
    int osc1Wave = 0;               // 0 saw, 1 pulse, 2 triangle, 3 sine
    int osc2Wave = 1;               // same codes
    float osc1PW = 0.5f;            // 0.05..0.95
    float osc2PW = 0.5f;            // 0.05..0.95
    float osc2Fine = 0.0f;          // cents, -100..100
    float osc1Mix = 1.0f;           // 0..1
    float osc2Mix = 1.0f;           // 0..1
    float noiseMix = 0.0f;          // 0..1
    bool syncMode = false;          // A restarts when B wraps
    bool osc2LfoMode = false;       // B runs at 0.015 x its frequency
    bool osc2KeyTrack = true;       // B follows the keys; else based on 65.406 Hz
    float synthCutoff = 1000.0f;    // Hz, 20..20000
    float synthRes = 0.5f;          // 0..0.95
    float synthEnvMod = 4000.0f;    // Hz, 0..10000
    float velSens = 0.5f;           // 0..1
    float filterKeyTrack = 0.5f;    // 0..1, x 20 Hz per semitone from note 60
    float fEnvA = 5.0f;             // ms, 1..5000
    float fEnvD = 500.0f;           // ms, 10..5000
    float fEnvS = 0.2f;             // 0..1
    float fEnvR = 500.0f;           // ms, 10..5000
    float aEnvA = 5.0f;             // ms, 2..5000
    float aEnvD = 500.0f;           // ms, 10..5000
    float aEnvS = 1.0f;             // 0..1
    float aEnvR = 500.0f;           // ms, 10..5000
    float lfoRate = 5.0f;           // Hz, 0.01..50
    float lfoAmt = 0.0f;            // 0..1
    int lfoTarget = 0;              // 0 pitch, 1 cutoff, 2 pulse width; other values route nowhere
    int lfoWave = 0;                // 0 triangle, 1 saw, 2 square, 3 sine

    juce::Random random;
    double sampleRate = 44100.0;
    float lfoPhase = 0.0f; // radians

private:
    struct Settings;
    Settings readSettings() const noexcept;

    void handleMidiEvent (const VoiceHelpers::MidiEvent& event) noexcept;
    void startNote (int note, int velocity127) noexcept;
    void stopNote (int note) noexcept;
    void renderSoundingVoices (const int* voiceIndices, int numSounding, const Settings& s, int count) noexcept;
    void renderSoundingVoicesWide (const int* voiceIndices, int numSounding, const Settings& s, int count) noexcept;

    void renderInGroups (const int* voiceIndices, int numSounding, const Settings& s, int count) noexcept;

    template <int NumGroups>
    void renderVoiceGroups (const int* voiceIndices, int numSounding, const Settings& s, int count) noexcept;

    // Per-chunk scratch, filled before the voices run.
    float lfoPitchSemitones[VoiceHelpers::renderChunk] = {};
    float lfoPitchFactor[VoiceHelpers::renderChunk] = {};
    float lfoCutoff[VoiceHelpers::renderChunk] = {};
    float lfoPulseWidth[VoiceHelpers::renderChunk] = {};
    float mixSum[VoiceHelpers::renderChunk] = {};
    float ampLanes[3 * VoiceHelpers::renderChunk * VoiceLanes::width] = {};
    float filterLanes[3 * VoiceHelpers::renderChunk * VoiceLanes::width] = {};
    VoiceLanes::Noise laneNoise; // seeded from random; four voices draw at once

    // Per-block coefficients shared by the voices.
    float glideCoeff = 0.0f, smoothCoeff = 0.0f, bendFactor = 1.0f, tuneFactor = 1.0f;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PolySynthEngine)
};

/** A new engine with default settings, not yet prepared. */
std::unique_ptr<PolySynthEngine> makePolySynthEngine();
