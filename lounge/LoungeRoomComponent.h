#pragma once

#include <juce_audio_basics/juce_audio_basics.h>
#include <juce_gui_basics/juce_gui_basics.h>

/** The sharing room. Only its mixing hook exists so far: the room's player, library and
    requests come with the room itself, and nothing in the program opens it yet. */
class LoungeRoomComponent : public juce::Component
{
public:
    static constexpr float outputGain = 0.8f;

    /** Adds the room's player into the output at outputGain. Audio thread: allocates nothing.
        With no player there is nothing to add. */
    void mixIntoOutput (juce::AudioBuffer<float>& output) noexcept;
};
