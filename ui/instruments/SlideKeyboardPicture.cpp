#include "ui/instruments/SlideKeyboardPicture.h"

#include "instruments/TannerinEngine.h"

#include <cmath>

juce::Rectangle<float> SlideKeyboardPicture::makeArea (float x, float y, float w, float h) noexcept
{
    return {x, y, juce::jmax (0.0f, w), juce::jmax (0.0f, h)};
}

float SlideKeyboardPicture::columnWidth (juce::Rectangle<float> area) noexcept
{
    return (area.getWidth() - 2.0f * margin) / (float)(highestNote - lowestNote);
}

float SlideKeyboardPicture::noteX (juce::Rectangle<float> area, int note) noexcept
{
    return area.getX() + margin + (float)(note - lowestNote) * columnWidth (area);
}

bool SlideKeyboardPicture::isBlackNote (int note) noexcept
{
    switch (((note % 12) + 12) % 12)
    {
        case 1: case 3: case 6: case 8: case 10: return true;
        default: return false;
    }
}

SlideKeyboardPicture::Glow SlideKeyboardPicture::glowFor (const TannerinEngine* engine) noexcept
{
    if (engine == nullptr)
        return {};
    return {engine->lightsOn, engine->slidePitch};
}

float SlideKeyboardPicture::glowStrength (float pitch, int note) noexcept
{
    const float d = std::abs (pitch - (float)note);
    return d < 1.0f ? std::pow (1.0f - d, 1.5f) : 0.0f;
}

void SlideKeyboardPicture::draw (juce::Graphics& g, juce::Rectangle<float> area, const Ticks& ticks, Glow glow)
{
    const float y = area.getY(), h = area.getHeight();
    const float J = columnWidth (area);

    // White keys light up across their own width: from the black key (or the gap) on each side.
    if (glow.on)
    {
        for (int n = lowestNote; n <= highestNote; ++n)
        {
            const float strength = glowStrength (glow.pitch, n);
            if (isBlackNote (n) || strength <= 0.0f)
                continue;

            float a = -J, b = J;
            switch (n % 12)
            {
                case 0: case 5: a = -J / 2.0f; break;  // C, F: nothing below
                case 4: case 11: b = J / 2.0f; break;  // E, B: nothing above
                default: break;
            }
            const float xn = noteX (area, n);
            g.setColour (whiteGlowColour (strength));
            g.fillRect (juce::Rectangle<float>::leftTopRightBottom (xn + a, y, xn + b, y + h));
        }
    }

    if (h > 0.0f)
    {
        g.setColour (juce::Colours::black);
        for (int n = lowestNote; n < highestNote; ++n)
        {
            if (isBlackNote (n))
                continue;
            const bool beforeGap = n % 12 == 4 || n % 12 == 11;
            g.fillRect (noteX (area, n) + (beforeGap ? J / 2.0f : J), y, 1.0f, h);
        }
    }

    g.setColour (juce::Colours::black);
    g.drawRect (area, 2.0f);

    for (int n = lowestNote; n <= highestNote; ++n)
    {
        const float xn = noteX (area, n);
        const bool black = isBlackNote (n);

        if (black)
        {
            const juce::Rectangle<float> key (xn - 0.4f * J, y, 0.8f * J, 0.65f * h);
            g.setColour (juce::Colour (0xff111111));
            g.fillRoundedRectangle (key, 2.0f);

            const auto face = makeArea (key.getX() + 1.0f, key.getY() + 1.0f, key.getWidth() - 2.0f, key.getHeight() - 2.0f);
            g.setGradientFill (juce::ColourGradient (juce::Colour (0xff555555), 0.0f, face.getY(), juce::Colours::black, 0.0f,
                                                     face.getBottom(), false));
            g.fillRoundedRectangle (face, 2.0f);

            const float strength = glowStrength (glow.pitch, n);
            if (glow.on && strength > 0.0f)
            {
                g.setColour (blackGlowColour (strength));
                g.fillRoundedRectangle (key, 2.0f);
            }
        }

        const bool isC = n % 12 == 0;
        const float length = isC ? ticks.lengthC : (black ? ticks.lengthBlack : ticks.lengthWhite);
        const float thickness = isC ? ticks.thicknessC : ticks.thicknessOther;
        const float bottom = area.getBottom();

        g.setColour (juce::Colours::black.withAlpha ((juce::uint8)0x99));
        g.drawLine (xn + 1.0f, bottom, xn + 1.0f, bottom + length, thickness);
        g.setColour (isC ? juce::Colour (0xffff0000) : (black ? juce::Colour (0xffaaaaaa) : juce::Colours::white));
        g.drawLine (xn, bottom, xn, bottom + length, thickness);
    }
}
