#pragma once

#include <juce_core/juce_core.h>

#include <memory>

/** "modern_theme.xml" in the per-user folder: root THEME with the minimal look's seven colours
    (hexadecimal ARGB) and the switches useModernUI and showDustCover. Every writer reads the
    whole document, changes its attributes and writes it back, so what others keep in the file
    survives. */
namespace ThemeFile
{
/** The theme file in the per-user folder. */
juce::File getFile();

/** The parsed document, or null when the file is missing or not XML. */
std::unique_ptr<juce::XmlElement> read (const juce::File& file = getFile());

/** Writes the element as the file in the framework's default XML format; creates the folder
    first when asked. False when it could not be written. */
bool write (const juce::XmlElement& theme, const juce::File& file = getFile(), bool createFolder = true);

/** A switch of the file: true when its first non-blank character is 1, t, T, y or Y; the
    default when the file or the attribute is missing. */
bool readSwitch (const juce::String& attribute, bool defaultValue, const juce::File& file = getFile());

/** Sets one switch to "1" or "0", keeping every other attribute (a new THEME element when the
    file is missing or does not parse). */
bool writeSwitch (const juce::String& attribute, bool value, bool createFolder, const juce::File& file = getFile());

/** Hexadecimal colour text: characters that are not hexadecimal digits are skipped and the
    last eight digits count (0 when there are none). */
juce::uint32 parseColour (const juce::String& text) noexcept;

/** Lower case, no prefix, no leading zeros: 0xffe2e5e7 gives "ffe2e5e7". */
juce::String formatColour (juce::uint32 argb);

/** The file's reading of a boolean attribute value. */
bool parseSwitch (const juce::String& text) noexcept;
} // namespace ThemeFile
