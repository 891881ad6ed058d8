#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

#include <array>
#include <atomic>

/** The raw values of the global parameters the block callback reads, looked up once when the
    processor is built (the parameter tree never changes its parameters afterwards), so that the
    audio thread never searches the tree by identifier. A parameter missing from the tree leaves
    a null pointer, which read() turns into the neutral value the caller gives.

    Also holds the 26 console volume parameters (track faders, then the two aux returns) as
    objects, for the group step's first baseline. */
class BlockParameters
{
public:
    explicit BlockParameters (juce::AudioProcessorValueTreeState& parameters);

    /** The raw value, or the fallback when the parameter does not exist. */
    static float read (const std::atomic<float>* value, float fallback) noexcept
    {
        return value != nullptr ? value->load (std::memory_order_relaxed) : fallback;
    }

    /** A switch counts as on above 0.5. */
    static bool isOn (const std::atomic<float>* value) noexcept { return read (value, 0.0f) > 0.5f; }

    std::atomic<float>*time = nullptr, *drive = nullptr, *age = nullptr, *noise = nullptr, *wow = nullptr,
    *disableElastic = nullptr, *flutter = nullptr, *format = nullptr, *varispeed = nullptr, *reverse = nullptr,
    *digitalFinger = nullptr, *soundOnSound = nullptr, *degradeOn = nullptr, *degradeRate = nullptr, *armGrab = nullptr,
    *armAngle = nullptr, *disableNoise = nullptr, *scrub = nullptr, *recOffset = nullptr, *directMon = nullptr,
    *syncLock = nullptr, *punchIn = nullptr, *clickVol = nullptr, *masterVol = nullptr, *aux1Return = nullptr,
    *aux2Return = nullptr, *aux1Pan = nullptr, *aux2Pan = nullptr, *aux1Mute = nullptr, *aux2Mute = nullptr,
    *revType = nullptr, *revDecay = nullptr, *revDamp = nullptr, *revMix = nullptr, *revPan = nullptr,
    *echoTime = nullptr, *echoFb = nullptr, *echoAge = nullptr, *echoMix = nullptr, *echoPan = nullptr,
    *echoSync = nullptr;

    /** VOL_1 .. VOL_24, AUX1_RETURN, AUX2_RETURN. */
    std::array<juce::RangedAudioParameter*, 26> channelVolumes{};
};
