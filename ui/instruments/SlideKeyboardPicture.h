#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

class TannerinEngine;

/** The four-octave keyboard (notes 36 to 84) drawn above the slide instrument's pitch strips,
    with a glow at the current pitch. The slide editor and the performance window both draw it,
    each in its own area and with its own tick sizes; each paints the area's background first.

    Note n sits at x + 12 + (n - 36) * (w - 24) / 48: a strip of thumb radius 12 spanning the
    same x range puts its thumb for value n over note n. */
class SlideKeyboardPicture
{
public:
    static constexpr int lowestNote = 36;
    static constexpr int highestNote = 84;
    static constexpr float margin = 12.0f;
    static constexpr float pitchWithoutEngine = 60.0f;

    /** Lengths and thicknesses of the ticks under the keys. */
    struct Ticks
    {
        float lengthC, lengthWhite, lengthBlack;
        float thicknessC, thicknessOther;
    };

    static constexpr Ticks editorTicks{16.0f, 10.0f, 6.0f, 2.0f, 1.0f};
    static constexpr Ticks performanceTicks{24.0f, 16.0f, 8.0f, 3.0f, 1.5f};

    /** The area with its width and height clamped at 0. */
    static juce::Rectangle<float> makeArea (float x, float y, float w, float h) noexcept;

    /** The width of one semitone column in an area. */
    static float columnWidth (juce::Rectangle<float> area) noexcept;

    /** The x of a note's column. */
    static float noteX (juce::Rectangle<float> area, int note) noexcept;

    static bool isBlackNote (int note) noexcept;

    /** Where the glow sits and whether it shows: the engine's pitch when its lights are on, none
        when they are off, note 60 when there is no engine. */
    struct Glow
    {
        bool on = true;
        float pitch = pitchWithoutEngine;
    };
    static Glow glowFor (const TannerinEngine* engine) noexcept;

    /** How strongly a note glows for a pitch: (1 - d)^1.5 within a semitone, else 0. */
    static float glowStrength (float pitch, int note) noexcept;

    /** Steps after the background: white-key glow, separators, outline, black keys and ticks. */
    static void draw (juce::Graphics&, juce::Rectangle<float> area, const Ticks& ticks, Glow glow);

    static juce::Colour whiteGlowColour (float strength) { return juce::Colour (0x00ffcc).withAlpha (0.7f * strength); }
    static juce::Colour blackGlowColour (float strength) { return juce::Colour (0xffffa500).withAlpha (0.85f * strength); }
};
