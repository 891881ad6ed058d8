#pragma once

#include <juce_graphics/juce_graphics.h>

/** The 1920 x 971 faceplate the built-in effect editors paint on under the vintage look: a
    rack-mounted steel chassis with a recessed dark panel at (157, 65, 1626, 837). Drawn once per
    process and shared through the image cache. */
namespace EffectFaceplate
{
inline constexpr int width = 1920;
inline constexpr int height = 971;

juce::Image get();
juce::Image draw();
} // namespace EffectFaceplate
