#pragma once

#include <juce_graphics/juce_graphics.h>

/** The typefaces the looks ask for by their Windows names, mapped in one table to the fonts a
    Debian system has (DejaVu, Liberation). Both look-and-feels resolve every font through it,
    so text drawn anywhere while one of them is the default look finds a real typeface. */
namespace LookFonts
{
/** The installed family used for a requested one; names not in the table pass unchanged, and
    "sans-serif" / "monospace" name the framework's defaults. */
juce::String mapTypefaceName (const juce::String& requested);

/** A font of the requested family (mapped), height and style. */
juce::Font font (const juce::String& requestedName, float height, int styleFlags = juce::Font::plain);

/** Whether a family of exactly this name is installed. */
bool isInstalled (const juce::String& familyName);

/** The font with its family replaced through the table; other properties kept. */
juce::Font mapped (const juce::Font& font);
} // namespace LookFonts
