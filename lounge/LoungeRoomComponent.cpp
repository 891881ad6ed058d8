#include "lounge/LoungeRoomComponent.h"

void LoungeRoomComponent::mixIntoOutput (juce::AudioBuffer<float>& output) noexcept
{
    juce::ignoreUnused (output);
}
