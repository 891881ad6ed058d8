#pragma once

#include <juce_audio_basics/juce_audio_basics.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>

/** The computer-keyboard note map shared by the on-screen keyboard strip and the musical typing
    window: two rows of letters from "a" (the octave's C) to the apostrophe (17 semitones up),
    Shift or not; note = octave x 12 + 12 + offset. */
namespace MusicalTypingKeys
{
/** Every character that plays a note, in the order a release test walks them. */
constexpr const char* noteCharacters = "aAwWsSeEdDfFtTgGyYhHuUjJkKoOlLpP;:\"'";

/** Z and X step the octave within these, C and V the velocity by a tenth within these. */
constexpr int lowestOctave = 0;
constexpr int highestOctave = 8;
constexpr float lowestVelocity = 0.1f;
constexpr float highestVelocity = 1.0f;

/** Semitones above the octave's C for a key code or character, -1 for keys that play nothing. */
int offsetOf (int keyCodeOrCharacter) noexcept;

/** The note a key plays at the octave, -1 for keys that play nothing. */
int noteFor (int keyCodeOrCharacter, int octave) noexcept;

/** What a key press types: its text character, or its key code when it carries none. */
int characterOf (const juce::KeyPress& key) noexcept;

/** One velocity step, rounded to whole hundredths so that tenths land on their limits. */
float stepVelocity (float velocity, int direction) noexcept;

/** The velocity as the 0..127 value shown beside its steppers. */
int velocityDisplayValue (float velocity) noexcept;

/** The key sizes S, M, L and XL of the on-screen keyboards, as white-key widths: the text of
    the size button, the width after a click on it, and the lowest key shown for an octave
    (narrow keys show one octave more on the left, so the typed octave stays in view). */
juce::String keySizeText (float keyWidth);
int nextKeyWidth (float keyWidth) noexcept;
int lowestVisibleKey (int octave, float keyWidth) noexcept;

/** Asks the system whether the physical key of a character is down now; held notes end by it,
    since the key-up event may go to another window. */
using KeyDownQuery = std::function<bool (int character)>;
bool isCharacterKeyDown (int character);

/** Ends every held note (last first) that no note character's key keeps at the octave: a note
    typed before an octave change ends at the next key event. */
void releaseLiftedNotes (juce::Array<int>& heldNotes, int octave, juce::MidiKeyboardState& state,
                         const KeyDownQuery& isKeyDown);

/** Note-off for every held note; the list is emptied. */
void releaseAll (juce::Array<int>& heldNotes, juce::MidiKeyboardState& state);
} // namespace MusicalTypingKeys
