#pragma once

#include <juce_graphics/juce_graphics.h>

/** Decodes the room picture, a PNG from the network, without ever handing the PNG decoder
    data it would reject: JUCE 7's PNG reader built on the system libpng crashes on any
    libpng error (a cut-off file, a bad row filter, a bad checksum). The file is checked
    whole first (signature, every chunk's length and CRC, a sane header, image data that
    inflates to exactly the rows the header promises with valid row filters), then only its
    critical chunks are passed on. Anything else gives an invalid image. */
namespace LoungePicture
{
inline constexpr int maxSide = 8192;
inline constexpr juce::int64 maxPixels = juce::int64 (16) << 20;

/** The critical chunks of a well-formed PNG, rebuilt into a new file; empty when the data
    is not one. */
juce::MemoryBlock sanitisePng (const void* data, size_t size);

juce::Image decode (const juce::MemoryBlock& data);
juce::Image decode (const juce::File& file, juce::int64 maxBytes);
} // namespace LoungePicture
