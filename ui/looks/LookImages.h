#pragma once

#include "resources/LookImageCatalog.h"

#include <juce_graphics/juce_graphics.h>

/** The embedded pictures, decoded once per process through the framework's image cache (keyed
    by the address of their PNG bytes), so every look and the deck share the same pixels. */
namespace LookImages
{
/** The picture, or an invalid image when it is missing. */
juce::Image get (LookImageId id);

/** Size the picture has by design (what the generator draws). */
const LookImageSpec& spec (LookImageId id) noexcept;

// The deck's own artwork (the looks hold the rest as members).
inline juce::Image deckArtwork() { return get (LookImageId::deckArtwork); }          // 3000 x 2000, no reels, arms or heads
inline juce::Image maskingTapeArtwork() { return get (LookImageId::maskingTape); }   // 3000 x 2000, transparent around the tape
inline juce::Image tapeRoomBackdrop() { return get (LookImageId::tapeRoomBackdrop); } // 1536 x 1024
inline juce::Image dustCover() { return get (LookImageId::dustCover); }              // 3000 x 2000, lid under the cover's click area
inline juce::Image reel() { return get (LookImageId::reel); }                        // 600 x 600, transparent windows
inline juce::Image instrumentBackground() { return get (LookImageId::instrumentBackground); } // 1920 x 971, shared by the instrument editors
} // namespace LookImages
