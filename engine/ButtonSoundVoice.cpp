#include "engine/ButtonSoundVoice.h"

void ButtonSoundVoice::mixInto (juce::AudioBuffer<float>& output) noexcept
{
    // The sounds themselves arrive with the button-sound resources; until then nothing plays.
    juce::ignoreUnused (output);
    active = false;
}
