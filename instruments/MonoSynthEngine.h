#pragma once

#include "instruments/VoiceHelpers.h"

#include <juce_audio_basics/juce_audio_basics.h>

#include <memory>

/** The monophonic bass and lead synthesizer (built-in instrument type 1).

    Two band-limited oscillators and noise into a four-pole ladder low-pass, with
    a filter and an amplitude envelope, glide, and a sine LFO on pitch or cutoff.
    Last-note priority with legato: a note played while another is held moves the
    pitch without restarting the envelopes.

    The public settings are written directly by the editor, presets, the reel
    reader and the MIDI map; the render reads them once per block, clamped to
    their ranges, so any value written there is safe. */
class MonoSynthEngine
{
public:
    MonoSynthEngine();

    /** Stores the rate and silences the voice. Called on every device start. */
    void prepare (double newSampleRate) noexcept;

    /** Applies the block's MIDI, then adds the block's mono signal to channels 0 and 1. */
    void renderNextBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi) noexcept;

    /** Clamps every setting into its range (for readers of reels and presets). */
    void clampSettings() noexcept;

    static constexpr int maxHeldNotes = 16;

    bool sustainPedal = false;
    float smoothedAmp = 0.0f;
    float pitchBend = 0.0f; // semitones, -2..2
    float modWheel = 0.0f;  // 0..1

    // Settings, named after their reel and preset attributes.
    int globalOctave = 0;        // -3..3
    float globalTune = 0.0f;     // cents, -100..100
    int osc1Wave = 0;            // 0 saw, 1 square, 2 triangle
    int osc2Wave = 1;            // same codes
    float osc2Tune = -12.0f;     // semitones, -24..24
    float osc1Mix = 1.0f;        // 0..1
    float osc2Mix = 0.5f;        // 0..1
    float noiseMix = 0.0f;       // 0..1
    float synthGlide = 50.0f;    // ms, 0..1000 (2 ms used below 2)
    float synthCutoff = 1000.0f; // Hz, 20..20000
    float synthRes = 0.5f;       // 0..0.95
    float synthEnvMod = 4000.0f; // Hz, 0..10000
    float fEnvA = 5.0f;          // ms, 1..5000
    float fEnvD = 500.0f;        // ms, 10..5000
    float fEnvS = 0.2f;          // 0..1
    float fEnvR = 500.0f;        // ms, 10..5000
    float aEnvA = 5.0f;          // ms, 2..5000
    float aEnvD = 500.0f;        // ms, 10..5000
    float aEnvS = 1.0f;          // 0..1
    float aEnvR = 500.0f;        // ms, 10..5000
    float lfoRate = 5.0f;        // Hz, 0.1..50
    float lfoAmt = 0.0f;         // 0..1
    int lfoTarget = 0;           // 0 pitch, 1 cutoff; other values route nowhere

    juce::Random random;
    double sampleRate = 44100.0;
    juce::ADSR ampEnvelope;
    juce::ADSR filterEnvelope;
    float targetFrequency = 50.0f;
    float currentFrequency = 50.0f;
    float velocity = 1.0f;
    float smoothedVelocity = 0.0f;
    float smoothedCutoff = 1000.0f;
    float osc1Phase = 0.0f;
    float osc2Phase = 0.0f;
    float lfoPhase = 0.0f;
    bool gate = false;
    float filterState[4] = {};
    int noteStack[maxHeldNotes] = {};
    int noteCount = 0;

private:
    struct Settings;
    Settings readSettings() const noexcept;

    void handleMidiEvent (const VoiceHelpers::MidiEvent& event) noexcept;
    void startNote (int note, int velocity127) noexcept;
    void stopNote (int note) noexcept;
    void releaseEnvelopes() noexcept;

    float scratch[VoiceHelpers::renderChunk] = {};

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MonoSynthEngine)
};

/** A new engine with default settings, not yet prepared. */
std::unique_ptr<MonoSynthEngine> makeMonoSynthEngine();
