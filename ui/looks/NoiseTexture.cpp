#include "ui/looks/NoiseTexture.h"

namespace
{
/** A 48-bit linear congruential generator with seed 1, so the grain never changes between runs. */
struct GrainRandom
{
    juce::uint64 seed = 1;

    double next() noexcept
    {
        seed = (seed * 0x5DEECE66DULL + 11) & ((juce::uint64 (1) << 48) - 1);
        const auto bits = (juce::uint32) (seed >> 16);
        return juce::jmin (0.9999999, (double) bits / 4294967296.0);
    }
};
} // namespace

juce::Image createNoiseTexture (int size, float density)
{
    juce::Image texture (juce::Image::ARGB, juce::jmax (1, size), juce::jmax (1, size), true);
    GrainRandom random;

    for (int y = 0; y < texture.getHeight(); ++y)
    {
        for (int x = 0; x < texture.getWidth(); ++x)
        {
            if (random.next() <= 0.5)
                continue;

            const double alpha = random.next() * (double) density;
            const auto level = alpha <= 0.0 ? 0 : alpha >= 1.0 ? 255 : juce::roundToInt (255.0 * alpha);
            texture.setPixelAt (x, y, juce::Colours::black.withAlpha ((juce::uint8) level));
        }
    }

    return texture;
}
