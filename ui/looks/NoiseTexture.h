#pragma once

#include <juce_graphics/juce_graphics.h>

/** The grain texture the deck's moving tape and the console's marker ink share: a size x size
    image, transparent, with about half its pixels black at random opacities up to density.
    Deterministic: the same arguments always give the same pixels. */
juce::Image createNoiseTexture (int size, float density);
