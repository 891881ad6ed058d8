#include "resources/tools/LookPainting.h"

#include <cmath>
#include <mutex>
#include <vector>

namespace LookPainting
{
namespace
{
juce::uint8 clampByte (float v) noexcept
{
    return (juce::uint8)juce::jlimit (0, 255, (int)std::lround (v));
}

/** Smooth 1-D value noise: random knots every `step` samples, eased between. */
std::vector<float> valueNoise (int length, int step, Noise& noise)
{
    const int knots = length / juce::jmax (1, step) + 2;
    std::vector<float> k ((size_t)knots);

    for (auto& v : k)
        v = noise.nextSigned();

    std::vector<float> out ((size_t)length);

    for (int i = 0; i < length; ++i)
    {
        const int a = i / step;
        const float t = (float)(i % step) / (float)step;
        const float s = t * t * (3.0f - 2.0f * t);
        out[(size_t)i] = k[(size_t)a] + (k[(size_t)a + 1] - k[(size_t)a]) * s;
    }

    return out;
}

void setPixel (juce::Image::BitmapData& data, int x, int y, juce::Colour c)
{
    data.setPixelColour (x, y, c);
}
} // namespace

juce::Image brushedMetal (int width, int height, juce::Colour base, float streakStrength, juce::uint32 seed, bool opaque)
{
    juce::Image image (opaque ? juce::Image::RGB : juce::Image::ARGB, width, height, false);
    Noise noise (seed);

    // Long streaks: each row has its own brightness, changing slowly along the row.
    const auto rowLevel = valueNoise (height, 3, noise);
    const auto rowFine = valueNoise (height, 1, noise);
    const auto sheen = valueNoise (width, juce::jmax (8, width / 5), noise);

    juce::Image::BitmapData data (image, juce::Image::BitmapData::writeOnly);
    std::vector<float> streak;

    for (int y = 0; y < height; ++y)
    {
        if (y % 2 == 0)
            streak = valueNoise (width, 40 + (int)(noise.next() * 160.0f), noise);

        const float row = rowLevel[(size_t)y] * 0.6f + rowFine[(size_t)y] * 0.4f;

        for (int x = 0; x < width; ++x)
        {
            const float delta = (row + streak[(size_t)x] * 0.35f) * streakStrength + sheen[(size_t)x] * 6.0f;
            setPixel (data, x, y,
                      juce::Colour (clampByte (base.getRed() + delta), clampByte (base.getGreen() + delta),
                                    clampByte (base.getBlue() + delta * 1.05f)));
        }
    }

    return image;
}

juce::Image spunMetal (int size, juce::Colour base, float streakStrength, juce::uint32 seed)
{
    juce::Image image (juce::Image::ARGB, size, size, true);
    Noise noise (seed);
    const auto rings = valueNoise (size, 2, noise);
    const auto ringsFine = valueNoise (size, 1, noise);
    const float c = (float)size * 0.5f;

    juce::Image::BitmapData data (image, juce::Image::BitmapData::writeOnly);

    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
        {
            const float dx = (float)x + 0.5f - c, dy = (float)y + 0.5f - c;
            const float r = std::sqrt (dx * dx + dy * dy);

            if (r > c)
                continue;

            const auto ri = (size_t)juce::jlimit (0, size - 1, (int)r);
            const float angle = std::atan2 (dy, dx);
            // Spun metal catches the light in a bow-tie: two bright and two dark quarters.
            const float lobes = std::cos (2.0f * (angle + 0.8f));
            const float delta = (rings[ri] * 0.6f + ringsFine[ri] * 0.4f) * streakStrength + lobes * 22.0f;
            setPixel (data, x, y,
                      juce::Colour (clampByte (base.getRed() + delta), clampByte (base.getGreen() + delta),
                                    clampByte (base.getBlue() + delta * 1.05f)));
        }

    return image;
}

juce::Image woodGrain (int width, int height, juce::Colour light, juce::Colour dark, juce::uint32 seed)
{
    juce::Image image (juce::Image::RGB, width, height, false);
    Noise noise (seed);
    const auto warp = valueNoise (width, 180, noise);
    const auto warpFine = valueNoise (width, 37, noise);
    const auto fibre = valueNoise (height, 1, noise);
    const auto fibreSlow = valueNoise (height, 7, noise);
    const float phase = noise.next() * 10.0f;

    juce::Image::BitmapData data (image, juce::Image::BitmapData::writeOnly);

    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
        {
            // Growth rings as long thin bands along x, gently bent, sharpened toward their late
            // wood, with fibres running through them.
            const float yy = (float)y + warp[(size_t)x] * 7.0f + warpFine[(size_t)x] * 1.5f
                             + 3.0f * std::sin ((float)x * 0.0023f + phase);
            const float band = 0.5f + 0.5f * std::sin (yy * 0.21f + std::sin (yy * 0.017f + phase) * 4.0f);
            const float ring = std::pow (band, 4.0f);
            float t = 0.3f + 0.45f * ring + fibre[(size_t)y] * 0.10f + fibreSlow[(size_t)y] * 0.12f;
            t = juce::jlimit (0.0f, 1.0f, t);
            setPixel (data, x, y, dark.interpolatedWith (light, 1.0f - t));
        }

    return image;
}

void speckle (juce::Image& image, juce::Rectangle<int> area, float strength, juce::uint32 seed)
{
    Noise noise (seed);
    area = area.getIntersection (image.getBounds());
    juce::Image::BitmapData data (image, juce::Image::BitmapData::readWrite);

    for (int y = area.getY(); y < area.getBottom(); ++y)
        for (int x = area.getX(); x < area.getRight(); ++x)
        {
            // Sparse grains keep the file small and read as texture rather than hiss.
            if (noise.next() > 0.18f)
                continue;

            const auto c = data.getPixelColour (x, y);
            const float d = noise.nextSigned() * strength;
            data.setPixelColour (x, y,
                                 juce::Colour::fromRGBA (clampByte (c.getRed() + d), clampByte (c.getGreen() + d),
                                                         clampByte (c.getBlue() + d), c.getAlpha()));
        }
}

void softShadow (juce::Graphics& g, const juce::Path& shape, juce::Point<float> offset, float radius, float opacity)
{
    const int steps = 8;

    for (int i = steps; i >= 1; --i)
    {
        const float grow = radius * (float)i / (float)steps;
        juce::Path p (shape);
        p.applyTransform (juce::AffineTransform::translation (offset));
        g.setColour (juce::Colours::black.withAlpha (opacity / (float)steps));
        g.strokePath (p, juce::PathStrokeType (grow * 2.0f, juce::PathStrokeType::curved));
        g.fillPath (p);
    }
}

void screw (juce::Graphics& g, juce::Point<float> centre, float radius, float angle, bool cross)
{
    const auto area = juce::Rectangle<float> (radius * 2.0f, radius * 2.0f).withCentre (centre);
    g.setColour (juce::Colours::black.withAlpha (0.45f));
    g.fillEllipse (area.translated (radius * 0.12f, radius * 0.22f).expanded (radius * 0.12f));
    g.setGradientFill (juce::ColourGradient (juce::Colour (0xfff2f2f2), area.getX(), area.getY(), juce::Colour (0xff5a5a5a),
                                             area.getRight(), area.getBottom(), false));
    g.fillEllipse (area);
    g.setColour (juce::Colour (0xff3a3a3a));
    g.drawEllipse (area, juce::jmax (0.6f, radius * 0.08f));

    const float h = radius * 0.62f, w = juce::jmax (1.0f, radius * 0.22f);
    const auto rot = juce::AffineTransform::rotation (angle, centre.x, centre.y);
    juce::Path slot;
    slot.addRectangle (centre.x - h, centre.y - w * 0.5f, h * 2.0f, w);

    if (cross)
        slot.addRectangle (centre.x - w * 0.5f, centre.y - h, w, h * 2.0f);

    slot.applyTransform (rot);
    g.setColour (juce::Colours::white.withAlpha (0.35f));
    g.fillPath (slot, juce::AffineTransform::translation (radius * 0.06f, radius * 0.08f));
    g.setColour (juce::Colour (0xff2a2a2a));
    g.fillPath (slot);
}

void engrave (juce::Graphics& g, const juce::String& text, juce::Rectangle<float> area, const juce::Font& font,
              juce::Colour ink, juce::Justification justification)
{
    // The typefaces load their glyphs lazily and are not safe to share between threads, and
    // the pictures are drawn side by side: text is drawn one caller at a time.
    static std::mutex textLock;
    const std::lock_guard<std::mutex> lock (textLock);

    const float d = juce::jmax (0.6f, font.getHeight() * 0.06f);
    g.setFont (font);
    g.setColour (juce::Colours::white.withAlpha (0.35f));
    g.drawText (text, area.translated (0.0f, d), justification, false);
    g.setColour (ink);
    g.drawText (text, area, justification, false);
}

juce::Font labelFont (float height, bool bold)
{
    return juce::Font ("DejaVu Sans", height, bold ? juce::Font::bold : juce::Font::plain);
}

juce::Font condensedFont (float height, bool bold)
{
    return juce::Font ("Liberation Sans Narrow", height, bold ? juce::Font::bold : juce::Font::plain);
}
} // namespace LookPainting
