#include "ui/instruments/MusicalTypingKeys.h"

#include <cmath>

namespace MusicalTypingKeys
{
namespace
{
constexpr const char* unshiftedKeys = "awsedftgyhujkolp;'";
constexpr const char* shiftedKeys = "AWSEDFTGYHUJKOLP:\"";
constexpr int midiChannel = 1;
} // namespace

int offsetOf (int keyCodeOrCharacter) noexcept
{
    for (int i = 0; unshiftedKeys[i] != 0; ++i)
        if (keyCodeOrCharacter == unshiftedKeys[i] || keyCodeOrCharacter == shiftedKeys[i])
            return i;
    return -1;
}

int noteFor (int keyCodeOrCharacter, int octave) noexcept
{
    const int offset = offsetOf (keyCodeOrCharacter);
    return offset < 0 ? -1 : octave * 12 + 12 + offset;
}

int characterOf (const juce::KeyPress& key) noexcept
{
    const auto text = key.getTextCharacter();
    return text != 0 ? (int)text : key.getKeyCode();
}

float stepVelocity (float velocity, int direction) noexcept
{
    const float stepped = (float)juce::roundToInt ((velocity + 0.1f * (float)direction) * 100.0f) / 100.0f;
    return juce::jlimit (lowestVelocity, highestVelocity, stepped);
}

int velocityDisplayValue (float velocity) noexcept
{
    // Halves go to the even neighbour, as the display has always shown them.
    return (int)std::nearbyint ((double)velocity * 127.0);
}

juce::String keySizeText (float keyWidth)
{
    if (keyWidth < 40.0f)
        return "Key Size: S";
    if (keyWidth < 60.0f)
        return "Key Size: M";
    if (keyWidth < 80.0f)
        return "Key Size: L";
    return "Key Size: XL";
}

int nextKeyWidth (float keyWidth) noexcept
{
    return keyWidth < 40.0f ? 55 : keyWidth < 60.0f ? 75 : keyWidth < 80.0f ? 95 : 35;
}

int lowestVisibleKey (int octave, float keyWidth) noexcept
{
    return juce::jmax (0, (keyWidth < 50.0f ? octave : octave + 1) * 12);
}

bool isCharacterKeyDown (int character)
{
    return juce::KeyPress::isKeyCurrentlyDown (character);
}

void releaseLiftedNotes (juce::Array<int>& heldNotes, int octave, juce::MidiKeyboardState& state,
                         const KeyDownQuery& isKeyDown)
{
    for (int i = heldNotes.size(); --i >= 0;)
    {
        const int note = heldNotes[i];
        bool held = false;
        for (const char* c = noteCharacters; *c != 0 && ! held; ++c)
            held = noteFor (*c, octave) == note && isKeyDown (*c);

        if (! held)
        {
            state.noteOff (midiChannel, note, 0.0f);
            heldNotes.remove (i);
        }
    }
}

void releaseAll (juce::Array<int>& heldNotes, juce::MidiKeyboardState& state)
{
    for (int note : heldNotes)
        state.noteOff (midiChannel, note, 0.0f);
    heldNotes.clear();
}
} // namespace MusicalTypingKeys
