#pragma once

#include "engine/tape/TapeTrack.h"

#include <juce_audio_basics/juce_audio_basics.h>

#include <array>

/** What one call of the block callback carries from stage to stage: the block length, the
    parameters read once for the block, the tape speed target and the block's MIDI. It also holds
    the block's MIDI scratch buffers, with room reserved up front, so that an ordinary block
    never allocates. Audio thread only. */
struct BlockState
{
    static constexpr int maxTracks = 24;

    BlockState()
    {
        for (auto* midi : {&filteredMidi, &keyboardMidi, &emptyMidi})
            midi->ensureSize (deviceMidiBytes);

        slotMidi.ensureSize (slotMidiBytes);
    }

    // Room reserved in the MIDI buffers, so that filling them never allocates. The device MIDI
    // kept for a block is bounded by deviceMidiBytes: an event past it (an oversized system
    // exclusive dump) is left out. The keyboards hand over at most KeyboardNoteQueue's
    // maxNotesPerBlock notes a block; a slot's MIDI holds both.
    static constexpr int eventHeaderBytes = 6; // a MidiBuffer event: sample position, size, data
    static constexpr int deviceMidiBytes = 8192;
    static constexpr int keyboardMidiBytes = 256 * (eventHeaderBytes + 3);
    static constexpr int slotMidiBytes = deviceMidiBytes + keyboardMidiBytes;

    /** Adds the event when the buffer keeps within roomBytes; false (nothing added) otherwise. */
    static bool addIfRoom (juce::MidiBuffer& midi, const juce::uint8* data, int numBytes, int position,
                           int roomBytes) noexcept
    {
        if (numBytes <= 0 || midi.data.size() + eventHeaderBytes + numBytes > roomBytes)
            return false;

        midi.addEvent (data, numBytes, position);
        return true;
    }

    // The block.
    int numSamples = 0;   // n: the samples every stage works on
    int activeTracks = 0; // tracks that have a tape and block buffers (normally numTracks)
    double sampleRate = 44100.0;
    double startMilliseconds = 0.0;
    int transport = 0; // transport state as the block saw it after the control stage
    bool rolling = false;
    bool recording = false;

    // Global values of the parameter snapshot.
    float headGap = 0.0f, drive = 1.0f, age = 0.0f, hiss = 0.0f, wow = 0.0f, flutter = 0.0f;
    float digitalFinger = 0.0f, wearRate = 0.0f, armAngle = 0.0f;
    double playSpeed = 1.0; // VARISPEED, negated for reverse
    int format = 0;
    bool elasticWrite = true, reverse = false, soundOnSound = false, autoWear = false, armGrabbed = false;
    bool noisePrint = true;
    float headBumpHz = 80.0f;
    float hissLevel = 0.0f, bandwidth = 20000.0f; // head settings of the block

    // Per track.
    std::array<bool, maxTracks> mute{}, solo{}, phase{}, eqBeforeTape{};
    std::array<float, maxTracks> pan{}, trim{};
    std::array<int, maxTracks> monitor{};
    bool anySolo = false;

    // The speed the tape heads for in this block, a signed factor of nominal speed.
    double speedTarget = 0.0;

    // The tracks run over stretches of at most chunkLength samples: the tape speed and the
    // tape-monitor gain of each sample of the stretch, and silence for tracks without input.
    static constexpr int chunkLength = 256;
    std::array<double, chunkLength> chunkSpeeds{};
    std::array<float, chunkLength> chunkMonitorGains{};
    std::array<float, chunkLength> silence{};
    static_assert (chunkLength <= TapeTrack::maxChunk, "a stretch is one run of the tracks' steps");

    // What the tape steps of a group of tracks hand on from step to step.
    std::array<TapeTrack::RunScratch, TapeTrack::maxGroup> tapeScratch;

    juce::MidiBuffer filteredMidi; // the device MIDI without controller messages
    juce::MidiBuffer keyboardMidi; // notes of the on-screen and computer keyboards
    juce::MidiBuffer slotMidi;     // one instrument slot's MIDI
    juce::MidiBuffer emptyMidi;    // handed to insert plug-ins (which may write into it)
};
