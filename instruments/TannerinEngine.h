#pragma once

#include "instruments/VoiceHelpers.h"

#include <juce_audio_basics/juce_audio_basics.h>

#include <atomic>
#include <memory>

/** The slide instrument (built-in instrument type 4): one continuously variable
    pitch set by slidePitch, and a gate that opens and closes the sound.

    Two oscillators into a ladder filter (low-, high- or band-pass) with its own
    envelope, an amplitude envelope, and a vibrato whose onset can be delayed and
    faded in. MIDI notes only open and close the gate; the editors open and close
    it with gateOn and gateOff from the message thread. */
class TannerinEngine
{
public:
    TannerinEngine();

    /** Stores the rate, closes the gate and silences the voice. */
    void prepare (double newSampleRate) noexcept;

    /** Applies the block's MIDI, then adds the block's mono signal to channels 0 and 1. */
    void renderNextBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi) noexcept;

    /** Opens the gate (restarting the attack and the vibrato delay when already open).
        Safe from the message thread while the audio thread renders: the envelopes are
        started at the next block. */
    void gateOn() noexcept;

    /** Closes the gate; the envelopes release from the next block. */
    void gateOff() noexcept;

    /** Clamps every setting into its range (for readers of reels and presets). */
    void clampSettings() noexcept;

    bool sustainPedal = false;
    float pitchBend = 0.0f; // semitones, -2..2
    float modWheel = 0.0f;  // 0..1, adds to the vibrato depth
    int heldNoteCount = 0;

    // Settings, named after their reel and preset attributes.
    float masterVol = 1.0f;        // 0..1
    float slidePitch = 60.0f;      // fractional MIDI note, 36..84
    float slideTime = 20.0f;       // ms pitch smoothing (1 ms used below 1); not stored
    int globalOctave = 1;          // -3..3
    int waveShape = 0;             // 0 sine, 1 saw, 2 square
    bool gateLatch = false;        // MIDI and the pedal neither open nor close the gate
    std::atomic<bool> gate{false}; // the gate is open; the editors read it while the audio thread renders
    bool lightsOn = true;          // editors' display switch; not used here, not stored
    float synthCutoff = 2000.0f;   // Hz, 20..20000
    float synthRes = 0.1f;         // 0..0.95
    float synthEnvMod = 0.0f;      // Hz, 0..10000
    int filterType = 0;            // 0 low-pass, 1 high-pass, 2 band-pass
    float fEnvA = 5.0f;            // ms, 1..2000
    float fEnvD = 500.0f;          // ms, 10..2000
    float fEnvS = 1.0f;            // 0..1
    float fEnvR = 500.0f;          // ms, 10..2000
    float aEnvA = 407.0f;          // ms, 2..2000
    float aEnvD = 500.0f;          // ms, 10..2000
    float aEnvS = 1.0f;            // 0..1
    float aEnvR = 1100.0f;         // ms, 10..2000
    float lfoRate = 6.0f;          // Hz, 1..20
    float lfoAmt = 0.0f;           // 0..2 (x 2 semitones)
    float lfoDelay = 0.0f;         // ms, 0..2000
    float lfoAttack = 0.0f;        // ms, 0..2000
    int osc2Wave = 0;              // 0 sine, 1 saw, 2 square
    float osc1Mix = 1.0f;          // 0..1
    float osc2Mix = 0.3f;          // 0..1
    float osc2Tune = 12.0f;        // semitones, -24..24
    float osc2Fine = 0.0f;         // cents, -100..100

    int gateSamples = 0; // samples since the gate opened, counted up to one hour
    double sampleRate = 44100.0;
    juce::ADSR ampEnvelope;
    juce::ADSR filterEnvelope;
    float currentFrequency = 440.0f;
    float smoothedCutoff = 2000.0f;
    float osc1Phase = 0.0f;
    float osc2Phase = 0.0f;
    float lfoPhase = 0.0f; // radians
    float filterState[4] = {};

private:
    struct Settings;
    Settings readSettings() const noexcept;

    void openGate() noexcept;
    void closeGate() noexcept;
    void handleMidiEvent (const VoiceHelpers::MidiEvent& event) noexcept;

    // Gate requests from the editors: (sequence << 1) | open. Written by the message
    // thread only, applied by the audio thread at the start of a block.
    std::atomic<juce::uint32> gateRequest{0};
    juce::uint32 appliedGateRequest = 0;

    float scratch[VoiceHelpers::renderChunk] = {};

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (TannerinEngine)
};

/** A new engine with default settings, not yet prepared. */
std::unique_ptr<TannerinEngine> makeTannerinEngine();
