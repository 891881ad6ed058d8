#pragma once

// Drawing of the pictures the looks embed (see resources/LookImageCatalog.h). Build-time code:
// only the image generator links it.

#include "resources/LookImageCatalog.h"

#include <juce_graphics/juce_graphics.h>

namespace LookPainting
{
// Materials -----------------------------------------------------------------------------------

/** A small deterministic generator, so every build draws the same pixels. */
class Noise
{
public:
    explicit Noise (juce::uint32 seed) : state (seed * 2654435761u + 1u) {}

    /** Uniform in 0..1. */
    float next() noexcept
    {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return (float)(state & 0xffffff) / (float)0x1000000;
    }

    /** Uniform in -1..1. */
    float nextSigned() noexcept { return next() * 2.0f - 1.0f; }

private:
    juce::uint32 state;
};

/** Aluminium brushed along x: streaks that run the whole width, with a soft sheen across. */
juce::Image brushedMetal (int width, int height, juce::Colour base, float streakStrength, juce::uint32 seed,
                          bool opaque = true);

/** Aluminium brushed in circles around the centre (reel flanges, knob tops). */
juce::Image spunMetal (int size, juce::Colour base, float streakStrength, juce::uint32 seed);

/** Walnut-like wood with its grain along x. */
juce::Image woodGrain (int width, int height, juce::Colour light, juce::Colour dark, juce::uint32 seed);

/** Fine speckle over everything already drawn (paint, powder coat, paper). */
void speckle (juce::Image& image, juce::Rectangle<int> area, float strength, juce::uint32 seed);

/** A soft shadow of a shape: several widening, fading copies. */
void softShadow (juce::Graphics& g, const juce::Path& shape, juce::Point<float> offset, float radius, float opacity);

/** A machined screw head with a slot or cross at the given angle. */
void screw (juce::Graphics& g, juce::Point<float> centre, float radius, float angle, bool cross = true);

/** Text engraved into a surface: a light edge below, the dark cut above. */
void engrave (juce::Graphics& g, const juce::String& text, juce::Rectangle<float> area, const juce::Font& font,
              juce::Colour ink, juce::Justification justification = juce::Justification::centred);

/** The fonts the pictures use (the generator runs where the program's fonts are installed). */
juce::Font labelFont (float height, bool bold = true);
juce::Font condensedFont (float height, bool bold = true);

// Pictures -------------------------------------------------------------------------------------

enum class KnobColour { cream, beige, greyGreen };

/** 128 frames of 128 x 128, frame k showing the knob at k / 127 of its travel. */
juce::Image knobStrip (KnobColour colour);
juce::Image knobFrame (KnobColour colour, float proportion, int size = 128);

juce::Image faderCap();
juce::Image sliderThumb();
juce::Image panelButton (bool lit);
juce::Image transportCap (LookImageId id);
juce::Image reel();
juce::Image deckArtwork();
juce::Image maskingTape();
juce::Image dustCover();
juce::Image tapeRoomBackdrop();

/** The built-in instrument editors' shared 1920 x 971 background. */
juce::Image instrumentBackground();

/** Whichever picture the catalogue names. */
juce::Image paint (LookImageId id);
} // namespace LookPainting
