#include "rack/InteractiveEQDisplay.h"

#include "effects/EqBandFilter.h"
#include "effects/EqualizerEngine.h"
#include "ui/looks/LookFonts.h"
#include "ui/looks/ModernLookAndFeel.h"

#include <cmath>

namespace
{
constexpr juce::uint32 bandColours[] = {0xffff5a5a, 0xffffd050, 0xff5aff5a, 0xff5affff, 0xff6a8aff};
constexpr float gridFrequencies[] = {50.0f, 100.0f, 200.0f, 500.0f, 1000.0f, 2000.0f, 5000.0f, 10000.0f};

float frequencyAtX (float x, float width)
{
    return 20.0f * std::pow (10.0f, 3.0f * x / width);
}

/** The handle dot: the band colour lightened towards white by a sixth. */
juce::Colour lightened (juce::Colour c)
{
    const auto lift = [] (juce::uint8 v) { return (juce::uint8)(int)(255.0 - (255.0 - v) * 0.8333333); };
    return juce::Colour (lift (c.getRed()), lift (c.getGreen()), lift (c.getBlue()), c.getAlpha());
}
} // namespace

InteractiveEQDisplay::InteractiveEQDisplay (InsertPlugin* slot) : settings (slot)
{
    // The engine gets its bands from the slot only when a block runs: without this a slot opened
    // while the transport is idle would draw a flat curve under moved handles.
    if (settings != nullptr)
        for (int i = 0; i < numBands; ++i)
            pushBandToEngine (i);
}

InteractiveEQDisplay::~InteractiveEQDisplay() = default;

int InteractiveEQDisplay::bandType (int band) noexcept
{
    return band == 0 ? EqBandFilter::LowShelf : band == numBands - 1 ? EqBandFilter::HighShelf : EqBandFilter::Peak;
}

juce::Colour InteractiveEQDisplay::bandColour (int band) noexcept
{
    return juce::Colour (bandColours[juce::jlimit (0, numBands - 1, band)]);
}

float InteractiveEQDisplay::xForFrequency (float frequency) const
{
    return std::log10 (frequency / 20.0f) / std::log10 (1000.0f) * (float)getWidth();
}

float InteractiveEQDisplay::yForGain (float gainDb) const
{
    const float half = (float)getHeight() * 0.5f;
    return half - gainDb / maxGainDb * half;
}

juce::Point<float> InteractiveEQDisplay::handlePosition (int band) const
{
    return {xForFrequency (settings->eqFreq[band]), yForGain (settings->eqGain[band])};
}

int InteractiveEQDisplay::pickBand (juce::Point<float> position) const
{
    if (settings == nullptr)
        return -1;

    int picked = -1;
    float nearest = pickRadius;
    for (int i = 0; i < numBands; ++i)
    {
        const float distance = position.getDistanceFrom (handlePosition (i));
        if (distance < nearest)
        {
            nearest = distance;
            picked = i;
        }
    }
    return picked;
}

void InteractiveEQDisplay::pushBandToEngine (int band)
{
    if (settings == nullptr || settings->eqEngine == nullptr)
        return;
    auto& engine = *settings->eqEngine;
    engine.freq[(size_t)band] = settings->eqFreq[band];
    engine.q[(size_t)band] = settings->eqQ[band];
    engine.gainDb[(size_t)band] = settings->eqGain[band];
    engine.type[(size_t)band] = bandType (band);
}

void InteractiveEQDisplay::mouseDown (const juce::MouseEvent& event)
{
    selectedBand = pickBand (event.position);
    repaint();
}

void InteractiveEQDisplay::mouseDrag (const juce::MouseEvent& event)
{
    if (settings == nullptr || selectedBand < 0 || getWidth() <= 0 || getHeight() <= 0)
        return;

    const float half = (float)getHeight() * 0.5f;
    settings->eqFreq[selectedBand] = juce::jlimit (20.0f, 20000.0f, frequencyAtX (event.position.x, (float)getWidth()));
    settings->eqGain[selectedBand] = juce::jlimit (-maxGainDb, maxGainDb, (half - event.position.y) / half * maxGainDb);
    pushBandToEngine (selectedBand);
    if (onChange)
        onChange();
    repaint();
}

void InteractiveEQDisplay::mouseUp (const juce::MouseEvent&)
{
    selectedBand = -1;
    repaint();
}

void InteractiveEQDisplay::mouseWheelMove (const juce::MouseEvent& event, const juce::MouseWheelDetails& wheel)
{
    const int band = pickBand (event.position);
    if (band < 0)
        return;
    settings->eqQ[band] = juce::jlimit (0.1f, 10.0f, settings->eqQ[band] - wheel.deltaY * 5.0f);
    pushBandToEngine (band);
    if (onChange)
        onChange();
    repaint();
}

void InteractiveEQDisplay::paint (juce::Graphics& g)
{
    const float w = (float)getWidth();
    const float h = (float)getHeight();
    const float half = h * 0.5f;
    auto* modern = ModernLookAndFeel::getDefault();
    const auto bounds = getLocalBounds().toFloat();

    juce::Colour gridColour;
    if (modern != nullptr)
    {
        g.setColour (juce::Colour (modern->cChassis1));
        g.fillRoundedRectangle (bounds, 6.0f);
        g.setColour (juce::Colour (modern->cDark).withAlpha (0.2f));
        g.drawRoundedRectangle (bounds, 6.0f, 1.0f);
        gridColour = juce::Colour (modern->cDark).withAlpha (0.1f);
    }
    else
    {
        g.setColour (juce::Colours::black.withAlpha (0.65f));
        g.fillRoundedRectangle (bounds, 8.0f);
        g.setGradientFill (juce::ColourGradient (juce::Colours::transparentBlack, w * 0.5f, half,
                                                 juce::Colours::black.withAlpha (0.5f), 0.0f, 0.0f, true));
        g.fillRoundedRectangle (bounds, 8.0f);
        gridColour = juce::Colours::white.withAlpha (0.07f);
    }

    for (auto colour : {gridColour, juce::Colours::white.withAlpha ((juce::uint8)0x26)})
    {
        g.setColour (colour);
        for (float f : gridFrequencies)
            g.fillRect ((int)xForFrequency (f), 0, 1, getHeight());
        g.fillRect (0, getHeight() / 2, getWidth(), 1);
    }

    if (settings == nullptr || settings->eqEngine == nullptr || w <= 0.0f)
        return;

    const auto& engine = *settings->eqEngine;
    const float rate = (float)engine.sampleRate;
    EqBandFilter filters[numBands];
    for (int i = 0; i < numBands; ++i)
        filters[i].update (rate, engine.freq[(size_t)i], engine.q[(size_t)i], engine.gainDb[(size_t)i],
                           engine.type[(size_t)i]);

    const auto magnitude = [&] (int band, float frequency) {
        const float m = filters[band].getMagnitudeDb (frequency, rate);
        return std::isfinite (m) ? m : 0.0f;
    };

    for (int i = 0; i < numBands; ++i)
    {
        juce::Path area;
        for (float x = 0.0f; x <= w; x += 3.0f)
        {
            const juce::Point<float> p (x, half - magnitude (i, frequencyAtX (x, w)) / maxGainDb * half);
            if (x == 0.0f)
                area.startNewSubPath (p);
            else
                area.lineTo (p);
        }
        area.lineTo (w, half);
        area.lineTo (0.0f, half);
        area.closeSubPath();
        g.setColour (bandColour (i).withAlpha ((juce::uint8)0x26));
        g.fillPath (area);
    }

    juce::Path sum;
    for (float x = 0.0f; x <= w; x += 2.0f)
    {
        float s = 0.0f;
        for (int i = 0; i < numBands; ++i)
            s += magnitude (i, frequencyAtX (x, w));
        const juce::Point<float> p (x, half - s / maxGainDb * half);
        if (x == 0.0f)
            sum.startNewSubPath (p);
        else
            sum.lineTo (p);
    }
    if (modern != nullptr)
    {
        g.setColour (juce::Colour (modern->cDark));
        g.strokePath (sum, juce::PathStrokeType (2.0f));
    }
    else
    {
        g.setColour (juce::Colour (0x4cccffffu));
        g.strokePath (sum, juce::PathStrokeType (4.0f));
        g.setColour (juce::Colours::white);
        g.strokePath (sum, juce::PathStrokeType (1.5f));
    }

    const auto readoutFont = modern != nullptr ? LookFonts::font ("sans-serif", 12.0f, juce::Font::bold)
                                               : LookFonts::font ("Courier New", 12.0f, juce::Font::bold);
    for (int i = 0; i < numBands; ++i)
    {
        const auto p = handlePosition (i);
        const bool selected = i == selectedBand;
        const float r = selected ? 6.0f : 4.5f;
        const auto colour = bandColour (i);
        const float halfBar = 25.0f / juce::jmax (0.01f, settings->eqQ[i]);

        g.setColour (colour.withAlpha ((juce::uint8)0x66));
        g.drawLine (p.x - halfBar, p.y, p.x + halfBar, p.y, 2.0f);
        g.fillEllipse (p.x - (r + 4.0f), p.y - (r + 4.0f), (r + 4.0f) * 2.0f, (r + 4.0f) * 2.0f);
        g.setColour (selected ? juce::Colours::white : lightened (colour));
        g.fillEllipse (p.x - r, p.y - r, r * 2.0f, r * 2.0f);

        if (selected)
        {
            const float gain = settings->eqGain[i];
            const auto text = juce::String (settings->eqFreq[i]) + "Hz  " + (gain > 0.0f ? "+" : "")
                              + juce::String (gain, 1) + "dB";
            g.setFont (readoutFont);
            g.setColour (modern != nullptr ? juce::Colour (modern->cDark) : juce::Colours::white);
            g.drawText (text, (int)(p.x - 60.0f), (int)(p.y - 25.0f), 120, 15, juce::Justification::centred, false);
        }
    }

    g.setFont (modern != nullptr ? LookFonts::font ("sans-serif", 10.0f, juce::Font::plain)
                                 : LookFonts::font ("Courier New", 10.0f, juce::Font::plain));
    g.setColour (modern != nullptr ? juce::Colour (modern->cDark).withAlpha ((juce::uint8)0x66)
                                   : juce::Colours::white.withAlpha ((juce::uint8)0x4c));
    g.drawText (modern != nullptr ? "DRAG: GAIN/FREQ // SCROLL: Q-FACTOR" : "OSC-DISP // DRAG: GAIN/FREQ // SCROLL: Q-FACTOR",
                10, getHeight() - 20, getWidth() - 20, 15, juce::Justification::bottomRight, false);

    if (modern == nullptr)
    {
        g.setColour (juce::Colours::white.withAlpha ((juce::uint8)0x0d));
        g.drawRoundedRectangle (1.0f, 1.0f, juce::jmax (0.0f, w - 2.0f), juce::jmax (0.0f, h - 2.0f), 8.0f, 1.5f);
        g.setColour (juce::Colours::black.withAlpha ((juce::uint8)0xcc));
        g.drawRoundedRectangle (bounds, 8.0f, 2.0f);
    }
}
