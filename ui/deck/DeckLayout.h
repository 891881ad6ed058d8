#pragma once

#include <juce_graphics/juce_graphics.h>

#include <array>

/** Where every deck control sits, in the deck's design space of 1699 x 1133 units, for the
    skeuomorphic and the minimal interface. The editor lays its deck panel out once at the design
    size from this and scales the panel as a whole. */
struct DeckLayout
{
    static constexpr int designWidth = 1699;
    static constexpr int designHeight = 1133;

    /** The uniform scale and centring offsets that fit the design space into an editor of the
        given size. */
    struct Fit
    {
        float scale = 1.0f;
        float offsetX = 0.0f;
        float offsetY = 0.0f;

        juce::AffineTransform getTransform() const;
    };

    static Fit fitInto (int width, int height);

    /** The rectangles of one interface. */
    static DeckLayout forInterface (bool minimal);

    juce::Rectangle<int> console, masterVolume, masterFx, trackPage, midiLearn, eject, mixdown, counter,
        format, tapeStrip;
    float counterFontHeight = 22.0f;

    /** Left to right: rtz, zero, rew, stop, play, rec, ff. */
    std::array<juce::Rectangle<int>, 7> transport;

    // Knob grid: row 1 varispeed, wow, flutter, drive; row 2 age, noise, stickiness, head gap.
    juce::Rectangle<int> varispeed, wow, flutter, drive, age, noise, stickiness, headGap;

    // Tool row over the tape strip.
    juce::Rectangle<int> cursorTool, brushTool, clearDefects, click, monitor, wave, zoom, punch, soundOnSound,
        wear, wearRate, loopClear, loopIn, loopOut, loop;
};
