// The console's master section: output meter ballistics and drawing, the hold-and-clip reset,
// the fader slots with their unity marks, and the 41 ms refresh.

#include "ui/console/StudioConsoleComponent.h"

#include "engine/ParameterIds.h"
#include "engine/TavrelDelayAudioProcessor.h"
#include "ui/console/ConsoleIds.h"
#include "ui/looks/LookFonts.h"
#include "ui/looks/ModernLookAndFeel.h"

#include <cmath>

namespace
{
// The master meter box and its bars.
constexpr int boxX = 15, boxY = 45, boxHeight = 160;
constexpr int barWidth = 15, barHeight = 140;
constexpr float meterTop = 1.2f;

/** The normalised position of unity gain on a parameter's fader, the middle without one. */
double unityPosition (juce::AudioProcessorValueTreeState& state, const char* parameterId)
{
    if (auto* parameter = state.getParameter (parameterId))
        return parameter->convertTo0to1 (1.0f);
    return 0.5;
}

juce::Colour barColour (float peak)
{
    if (peak > 1.0f)
        return juce::Colours::red;
    return juce::Colour (peak > 0.8f ? 0xffffff00 : 0xff32cd32);
}
} // namespace

juce::String StudioConsoleComponent::masterReadout (float level)
{
    if (level <= 0.001f)
        return "-inf";

    const float db = juce::jmax (-100.0f, 20.0f * std::log10 (level));
    return (db > 0.0f ? "+" : "") + juce::String (db, 1);
}

juce::String StudioConsoleComponent::masterLowCpuLine (const char* side, float level)
{
    const float db = level > 0.0f ? juce::jmax (-60.0f, 20.0f * std::log10 (level)) : -60.0f;
    return juce::String (side) + ": " + (db <= -59.9f ? juce::String ("-inf") : juce::String (db, 1));
}

bool StudioConsoleComponent::isLowCpuMode() const
{
    const auto* lightGui = processor.parameters.getRawParameterValue (ParameterIds::LIGHT_GUI);
    return lightGui != nullptr && lightGui->load() > 0.5f;
}

float StudioConsoleComponent::getMeterProperty (const char* key) const
{
    return (float) getProperties().getWithDefault (key, 0.0);
}

juce::Rectangle<int> StudioConsoleComponent::getMeterRegion() const
{
    return {15, 30, juce::jmin (getWidth(), 165) - 15, juce::jmin (getHeight(), 205) - 30};
}

//==============================================================================
void StudioConsoleComponent::mouseDown (const juce::MouseEvent& e)
{
    // A press on the meters clears the held peaks and the clip lamp.
    const auto p = e.getEventRelativeTo (this).getPosition();
    if (p.x < 15 || p.x > 114 || p.y < 45 || p.y > 204)
        return;

    getProperties().set (ConsoleIds::holdLeft, 0.0);
    getProperties().set (ConsoleIds::holdRight, 0.0);
    processor.outputClip = false;
    repaint();
}

void StudioConsoleComponent::timerCallback()
{
    bool repaintMeters = true;

    if (isLowCpuMode())
    {
        // Numbers instead of bars, refreshed on one tick in four and not at all in silence.
        const int skip = (int) getProperties().getWithDefault (ConsoleIds::lowCpuSkip, 0) + 1;
        if (skip < 4)
        {
            getProperties().set (ConsoleIds::lowCpuSkip, skip);
            return;
        }

        getProperties().set (ConsoleIds::lowCpuSkip, 0);
        repaintMeters = processor.outputPeakLeft.load() > 0.001f || processor.outputPeakRight.load() > 0.001f
                        || processor.outputClip.load();
    }

    const auto region = getMeterRegion();
    if (repaintMeters && region.getWidth() > 0 && region.getHeight() > 0)
        repaint (region);

    refreshAuxAutomationButton (aux1AutoButton, aux1Channel);
    refreshAuxAutomationButton (aux2AutoButton, aux2Channel);
}

//==============================================================================
void StudioConsoleComponent::paint (juce::Graphics& g)
{
    const auto* modern = ModernLookAndFeel::getDefault();
    const bool minimal = modern != nullptr;

    const auto ink = minimal ? juce::Colour (modern->cDark) : juce::Colours::white.withAlpha ((juce::uint8) 230);
    g.setColour (ink);
    g.setFont (LookFonts::font ("Sans-Serif", 14.0f, juce::Font::bold));
    g.drawText ("MASTER OUTPUT", 15, 10, 150, 20, juce::Justification::centredLeft);
    g.setColour (minimal ? juce::Colour (modern->cDark).withAlpha ((juce::uint8) 51) : ink);
    g.fillRect (15, 30, 170, 2);

    paintMasterMeters (g, minimal, isLowCpuMode());
    paintMasterFaderSlot (g, minimal);
    paintAuxSection (g, minimal, 0);
    paintAuxSection (g, minimal, 1);
}

void StudioConsoleComponent::paintMasterMeters (juce::Graphics& g, bool minimal, bool lowCpu)
{
    const auto* modern = ModernLookAndFeel::getDefault();
    const bool dark = minimal && modern->isDark();
    const int boxWidth = minimal ? 120 : 100;
    const int boxBottom = boxY + boxHeight;

    // Ballistics run with the paint: the average follows the peak, the hold only rises.
    const float peakL = processor.outputPeakLeft.load(), peakR = processor.outputPeakRight.load();
    const float avgL = getMeterProperty (ConsoleIds::averageLeft) * 0.92f + 0.08f * peakL;
    const float avgR = getMeterProperty (ConsoleIds::averageRight) * 0.92f + 0.08f * peakR;
    getProperties().set (ConsoleIds::averageLeft, avgL);
    getProperties().set (ConsoleIds::averageRight, avgR);

    float holdL = getMeterProperty (ConsoleIds::holdLeft), holdR = getMeterProperty (ConsoleIds::holdRight);
    if (! lowCpu)
    {
        holdL = juce::jmax (peakL, holdL);
        holdR = juce::jmax (peakR, holdR);
        getProperties().set (ConsoleIds::holdLeft, holdL);
        getProperties().set (ConsoleIds::holdRight, holdR);
    }

    const bool clip = processor.outputClip.load();
    const juce::Rectangle<float> box ((float) boxX, (float) boxY, (float) boxWidth, (float) boxHeight);

    if (minimal)
    {
        g.setColour (juce::Colour (dark ? 0xff151515 : 0xffecf0f1));
        g.fillRoundedRectangle (box, 6.0f);
        g.setColour (dark ? juce::Colour (0xff444444) : juce::Colours::grey.withAlpha ((juce::uint8) 76));
        g.drawRoundedRectangle (box, 6.0f, 1.0f);
    }
    else
    {
        g.setColour (juce::Colours::black);
        g.fillRoundedRectangle (box, 5.0f);
        if (! lowCpu)
        {
            g.setColour (juce::Colours::grey.withAlpha ((juce::uint8) 76));
            for (int above : {30, 60, 90, 120})
                g.fillRect (boxX, boxBottom - above, boxWidth, 1);
        }
    }

    if (lowCpu)
    {
        g.setFont (LookFonts::font ("Courier New", 14.0f, juce::Font::bold));
        g.setColour (avgL > 1.0f ? juce::Colours::red : juce::Colours::white);
        g.drawText (masterLowCpuLine ("L", avgL), boxX, boxY + 40, boxWidth, 20, juce::Justification::centred);
        g.setColour (avgR > 1.0f ? juce::Colours::red : juce::Colours::white);
        g.drawText (masterLowCpuLine ("R", avgR), boxX, boxY + 70, boxWidth, 20, juce::Justification::centred);

        if (clip)
        {
            g.setColour (juce::Colours::red);
            g.setFont (LookFonts::font ("Courier New", 16.0f, juce::Font::bold));
            g.drawText ("PEAK", boxX, boxY + 100, boxWidth, 20, juce::Justification::centred);
        }
    }
    else
    {
        const float peaks[] = {peakL, peakR};
        const float holds[] = {holdL, holdR};
        const int barX[] = {boxX + 15, boxX + 65};
        const int floor = boxBottom - 10;

        for (int side = 0; side < 2; ++side)
        {
            const int x = barX[side];

            // An LED ladder: unlit segments under the lit ones, a dark line every fourth pixel.
            g.setColour (juce::Colour (minimal && ! dark ? 0xffd5dcdf : 0xff10220f));
            g.fillRect (x, floor - barHeight, barWidth, barHeight);

            const int height = (int) (juce::jmin (peaks[side], meterTop) / meterTop * (float) barHeight);
            g.setColour (barColour (peaks[side]));
            g.fillRect (x, floor - height, barWidth, height);

            g.setColour (juce::Colours::black.withAlpha (0.45f));
            for (int y = floor - 4; y > floor - barHeight; y -= 4)
                g.fillRect (x, y, barWidth, 1);

            if (holds[side] > 0.01f)
            {
                const int holdY = floor - (int) (juce::jmin (holds[side], meterTop) / meterTop * (float) barHeight);
                g.setColour (holds[side] >= 1.0f ? juce::Colours::red : juce::Colour (0xffffa500));
                g.fillRect (x - 2, holdY, 19, 2);
            }

            g.setColour (juce::Colour (0xffd3d3d3));
            g.setFont (LookFonts::font ("Sans-Serif", 10.0f));
            g.drawText (side == 0 ? "L" : "R", x, floor, barWidth, 10, juce::Justification::centred);
        }

        g.setColour (juce::Colours::grey);
        g.setFont (LookFonts::font ("Sans-Serif", 10.0f));
        g.drawText ("CLIP", 135, 30, 30, 10, juce::Justification::centred);
        if (clip)
        {
            g.setColour (juce::Colours::red.withAlpha ((juce::uint8) 128));
            g.fillEllipse (141.0f, 41.0f, 16.0f, 16.0f);
        }
        g.setColour (clip ? juce::Colours::red : juce::Colour (0xff330000));
        g.fillEllipse (145.0f, 45.0f, 8.0f, 8.0f);
    }

    // The averaged level in numbers, in both modes.
    g.setFont (LookFonts::font ("Courier New", 12.0f, juce::Font::bold));
    g.setColour (! minimal ? juce::Colours::white : dark ? juce::Colour (modern->cDark) : juce::Colour (0xff34495e));
    g.drawText (masterReadout (juce::jmax (avgL, avgR)), boxX, boxY + 4, boxWidth - 6, 14,
                juce::Justification::topRight);
}

void StudioConsoleComponent::paintUnityMark (juce::Graphics& g, bool minimal, int columnX, int faderY, int faderHeight,
                                             float r, double n)
{
    const float h = (float) faderHeight;
    const float y = (float) faderY + h - r - (h - 2.0f * r) * (float) n;

    g.setColour (minimal ? juce::Colour (0xff555555) : juce::Colours::lightgrey.withAlpha ((juce::uint8) 204));
    g.drawLine ((float) columnX + 4.0f, y, (float) columnX + 14.0f, y, 1.5f);
    g.setFont (LookFonts::font ("Sans-Serif", 10.0f));
    g.drawText ("0", columnX - 10, (int) (y - 5.0f), 12, 10, juce::Justification::centredRight);
}

void StudioConsoleComponent::paintMasterFaderSlot (juce::Graphics& g, bool minimal)
{
    const int column = minimal ? 145 : 127;
    const int columnWidth = minimal ? 54 : 44;
    const float slotWidth = minimal ? 6.0f : 4.0f;
    const juce::Rectangle<float> slot ((float) column + ((float) columnWidth - slotWidth) / 2.0f, 68.0f, slotWidth,
                                       134.0f);

    g.setColour (juce::Colour (minimal ? 0xffdddddd : 0xff080808));
    g.fillRoundedRectangle (slot, 2.0f);
    if (! minimal)
    {
        g.setColour (juce::Colours::white.withAlpha ((juce::uint8) 26));
        g.drawRoundedRectangle (slot, 2.0f, 1.0f);
    }

    // The editor's master fader lies over this column and has its width: the aux faders share it.
    const float r = (float) aux1ReturnFader.getLookAndFeel().getSliderThumbRadius (aux1ReturnFader);
    paintUnityMark (g, minimal, column, 60, 150, r, unityPosition (processor.parameters, ParameterIds::MASTER_VOL));
}

void StudioConsoleComponent::paintAuxSection (juce::Graphics& g, bool minimal, int aux)
{
    const auto layout = auxLayout (minimal);
    const int x = layout.columnX[aux], width = layout.columnWidth;
    const int faderY = layout.faderY, faderHeight = layout.faderHeight;
    auto& fader = aux == 0 ? aux1ReturnFader : aux2ReturnFader;

    const float slotWidth = minimal ? 4.0f : 8.0f;
    const juce::Rectangle<float> slot ((float) x + ((float) width - slotWidth) / 2.0f, (float) faderY + 8.0f, slotWidth,
                                       (float) faderHeight - 16.0f);
    g.setColour (juce::Colour (minimal ? 0xffdddddd : 0xff080808));
    g.fillRoundedRectangle (slot, minimal ? 2.0f : 4.0f);
    if (! minimal)
    {
        g.setColour (juce::Colours::white.withAlpha ((juce::uint8) 26));
        g.drawRoundedRectangle (slot, 4.0f, 1.0f);
    }

    const float r = (float) fader.getLookAndFeel().getSliderThumbRadius (fader);
    paintUnityMark (g, minimal, x, faderY, faderHeight, r,
                    unityPosition (processor.parameters, aux == 0 ? ParameterIds::AUX1_RETURN : ParameterIds::AUX2_RETURN));

    g.setColour (minimal ? juce::Colours::darkgrey : juce::Colours::orange);
    g.setFont (LookFonts::font ("Sans-Serif", 11.0f, juce::Font::bold));
    g.drawText (aux == 0 ? "AUX 1" : "AUX 2", x - 10, faderY - 68, width + 20, 15, juce::Justification::centred);

    g.setColour (minimal ? juce::Colour (0xff7f8c8d) : juce::Colours::lightgrey.withAlpha ((juce::uint8) 153));
    g.setFont (LookFonts::font ("Sans-Serif", 9.0f, juce::Font::bold));
    g.drawText ("PAN", x, faderY + faderHeight + 4, width, 12, juce::Justification::centred);
}
