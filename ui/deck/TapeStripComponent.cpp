#include "ui/deck/TapeStripComponent.h"

#include "engine/ParameterIds.h"
#include "engine/TavrelDelayAudioProcessor.h"
#include "engine/tape/TapeDefectCell.h"
#include "ui/deck/DeckControls.h"
#include "ui/deck/EditorIds.h"
#include "ui/looks/ModernLookAndFeel.h"

#include <cmath>

namespace
{
struct BrushStroke
{
    bool allLanes;
    float widthSeconds;
    float strength;
};

/** How each brush paints (kind = brush number); the width shrinks with the view so a brush keeps
    its size on screen. */
BrushStroke strokeFor (int brush)
{
    switch (brush)
    {
        case TapeDefectKind::dropout: return {false, 0.12f, 0.08f};
        case TapeDefectKind::splice: return {true, 0.04f, 1.0f};
        case TapeDefectKind::flutter: return {false, 0.12f, 0.08f};
        case TapeDefectKind::crinkle: return {false, 0.025f, 1.0f};
        case TapeDefectKind::drag: return {false, 0.2f, 0.015f};
        default: return {false, 0.0f, 0.0f};
    }
}

juce::uint8 alphaByte (double alpha)
{
    return (juce::uint8) juce::roundToInt (juce::jlimit (0.0, 1.0, alpha) * 255.0);
}
} // namespace

TapeStripComponent::TapeStripComponent (TavrelDelayAudioProcessor& processorToShow)
    : processor (processorToShow)
{
    setComponentID (EditorIds::tapeStrip);
    showWaveformMenu = [this] { openWaveformMenu(); };
    startTimer (41);
}

TapeStripComponent::~TapeStripComponent()
{
    stopTimer();
}

float TapeStripComponent::timeToX (double seconds) const
{
    auto place = std::fmod (seconds, repeatSeconds);
    if (place < 0.0)
        place += repeatSeconds;
    return (float) ((place - viewStart) / viewLength * getWidth());
}

int TapeStripComponent::laneAt (float y) const
{
    const float height = (float) juce::jmax (1, getHeight());
    return juce::jmin (numLanes - 1, (int) (juce::jlimit (0.0f, 1.0f, 1.0f - y / height) * numLanes));
}

bool TapeStripComponent::lowCpuMode() const
{
    auto* light = processor.parameters.getRawParameterValue (ParameterIds::LIGHT_GUI);
    return light != nullptr && *light > 0.5f;
}

//==============================================================================
void TapeStripComponent::mouseMove (const juce::MouseEvent& e)
{
    hoverLane = laneAt (e.position.y);
    hoverX = e.position.x;
    repaint();
}

void TapeStripComponent::mouseExit (const juce::MouseEvent&)
{
    hoverLane = -1;
    repaint();
}

void TapeStripComponent::mouseDown (const juce::MouseEvent& e)
{
    const juce::uint32 now = millisecondClock ? millisecondClock() : juce::Time::getMillisecondCounter();
    if (now - lastClickTime < 400u || e.mods.isRightButtonDown())
    {
        lastClickTime = 0;
        if (showWaveformMenu)
            showWaveformMenu();
        return;
    }
    lastClickTime = now;

    const float x = e.position.x;
    if (processor.loopEnabled.load())
    {
        if (std::abs (x - timeToX (processor.loopIn.load())) < 12.0f)
        {
            draggingLoopIn = true;
            return;
        }
        if (std::abs (x - timeToX (processor.loopOut.load())) < 12.0f)
        {
            draggingLoopOut = true;
            return;
        }
    }

    if (brushType > 0)
    {
        paintStroke (x, e.position.y);
        return;
    }

    scrubbing = true;
    processor.reelHeld = true;
    mouseX = lastMouseX = x;
    processor.setTransportState (TavrelDelayAudioProcessor::transportScrub);
    processor.scrubSpeed = 0.0f;
}

void TapeStripComponent::mouseDrag (const juce::MouseEvent& e)
{
    const float x = e.position.x;
    const double width = juce::jmax (1, getWidth());

    if (draggingLoopIn || draggingLoopOut)
    {
        // The marker keeps its 30-second repeat and moves inside it.
        const double t = juce::jlimit (0.0, repeatSeconds, x / width * viewLength + viewStart);
        auto& marker = draggingLoopIn ? processor.loopIn : processor.loopOut;
        marker = juce::jmax (0.0, std::floor (marker.load() / repeatSeconds) * repeatSeconds + t);
        repaint();
        return;
    }

    if (scrubbing)
    {
        mouseX = x;
        return;
    }

    if (brushType > 0)
        paintStroke (x, e.position.y);
}

void TapeStripComponent::mouseUp (const juce::MouseEvent&)
{
    draggingLoopIn = false;
    draggingLoopOut = false;

    if (scrubbing)
    {
        scrubbing = false;
        processor.reelHeld = false;
        processor.scrubSpeed = 0.0f;
        processor.setTransportState (TavrelDelayAudioProcessor::transportStop);
    }
}

void TapeStripComponent::paintStroke (float x, float y)
{
    const auto stroke = strokeFor (brushType);
    if (stroke.widthSeconds <= 0.0f)
        return;

    const double width = juce::jmax (1, getWidth());
    double position = (x / width * viewLength + viewStart) / repeatSeconds;
    if (position < 0.0)
        position += 1.0;
    else if (position > 1.0)
        position -= 1.0;

    const float zoom = (float) (viewLength / repeatSeconds);
    if (stroke.allLanes)
    {
        for (int lane = 0; lane < numLanes; ++lane)
            processor.paintTapeDefect ((float) position, lane, brushType, stroke.widthSeconds * zoom, stroke.strength);
    }
    else
    {
        processor.paintTapeDefect ((float) position, laneAt (y), brushType, stroke.widthSeconds * zoom, stroke.strength);
    }
    repaint();
}

void TapeStripComponent::mouseWheelMove (const juce::MouseEvent& e, const juce::MouseWheelDetails& wheel)
{
    const double width = juce::jmax (1, getWidth());

    if (wheel.deltaY != 0.0f)
    {
        const double length = juce::jlimit (2.0, repeatSeconds, (1.0 - 1.5 * wheel.deltaY) * viewLength);
        viewStart = juce::jlimit (0.0, repeatSeconds - length, viewStart + (e.position.x / width) * (viewLength - length));
        viewLength = length;
        repaint();
    }

    if (wheel.deltaX != 0.0f)
    {
        viewStart = juce::jlimit (0.0, repeatSeconds - viewLength, viewStart - wheel.deltaX * viewLength * 0.5);
        repaint();
    }
}

void TapeStripComponent::openWaveformMenu()
{
    juce::PopupMenu menu;
    menu.addSectionHeader ("Waveform Display");
    const int count = (int) processor.tracks.size();
    for (int i = 0; i < count; ++i)
    {
        auto text = "Track " + juce::String (i + 1);
        const auto name =
            processor.parameters.state.getProperty (ParameterIds::forTrack (ParameterIds::TrackName_, i + 1)).toString();
        if (name.isNotEmpty())
            text << " (" << name << ")";
        menu.addItem (i + 1, text, true, i == waveformTrack);
    }

    juce::Component::SafePointer<TapeStripComponent> safeThis (this);
    menu.showMenuAsync (juce::PopupMenu::Options().withMousePosition(),
                        [safeThis] (int result)
                        {
                            if (safeThis != nullptr)
                                safeThis->waveformMenuChosen (result);
                        });
}

void TapeStripComponent::waveformMenuChosen (int result)
{
    if (result > 0)
    {
        waveformTrack = result - 1;
        repaint();
    }
}

//==============================================================================
void TapeStripComponent::timerCallback()
{
    if (processor.isSuspended() || lowCpuMode())
        return;

    if (scrubbing)
    {
        scrubVelocity = 0.1f * (mouseX - lastMouseX) + 0.6f * scrubVelocity;
        processor.scrubSpeed = scrubVelocity;
        lastMouseX = mouseX;
    }
    else
    {
        scrubVelocity = 0.0f;
    }

    if (isShowing())
        repaint();
}

void TapeStripComponent::paint (juce::Graphics& g)
{
    const auto bounds = getLocalBounds().toFloat();

    if (lowCpuMode())
    {
        g.fillAll (juce::Colours::black.withAlpha ((juce::uint8) 51));
        g.setColour (juce::Colour (0xff808080));
        g.drawText ("VISUALIZER DISABLED", getLocalBounds(), juce::Justification::centred);
        return;
    }

    // The minimal strip is a panel of the theme; the vintage one is only outlined, over the
    // tape window of the deck's artwork.
    const auto* modern = ModernLookAndFeel::getDefault();
    if (modern != nullptr)
    {
        if (modern->isDark())
        {
            g.setColour (juce::Colour (modern->cChassis1));
            g.fillRoundedRectangle (bounds, 4.0f);
        }
        else
        {
            const auto c = juce::Colour (modern->cChassis2);
            g.setColour (juce::Colour::fromFloatRGBA (c.getFloatRed() / 1.05f, c.getFloatGreen() / 1.05f,
                                                      c.getFloatBlue() / 1.05f, c.getFloatAlpha()));
            g.fillRoundedRectangle (bounds, 4.0f);
            g.setColour (juce::Colours::black.withAlpha ((juce::uint8) 26));
            g.drawRoundedRectangle (bounds.reduced (0.5f), 4.0f, 1.0f);
        }
    }
    else
    {
        g.setColour (juce::Colours::black.withAlpha ((juce::uint8) 76));
        g.drawRoundedRectangle (bounds.reduced (0.5f), 4.0f, 1.0f);
    }

    if (processor.tracks.empty() || ! (processor.tracks.front().sampleRate > 0.0))
        return;

    const float laneHeight = (float) getHeight() / numLanes;
    paintDefects (g, laneHeight);
    paintWaveform (g);

    const float height = (float) getHeight();

    // Loop markers: green flag on top for IN, magenta flag at the bottom for OUT.
    const double in = processor.loopIn.load();
    const double out = processor.loopOut.load();
    if (std::abs (in - out) > 0.001)
    {
        const float inX = timeToX (in);
        g.setColour (juce::Colour (0xff00ff00));
        g.fillRect (inX, 0.0f, 1.0f, height);
        g.setColour (juce::Colour (0xff00ff00).withAlpha ((juce::uint8) 204));
        juce::Path inFlag;
        inFlag.addTriangle (inX, 0.0f, inX + 8.0f, 0.0f, inX, 8.0f);
        g.fillPath (inFlag);

        const float outX = timeToX (out);
        g.setColour (juce::Colour (0xffff00ff));
        g.fillRect (outX, 0.0f, 1.0f, height);
        g.setColour (juce::Colour (0xffff00ff).withAlpha ((juce::uint8) 204));
        juce::Path outFlag;
        outFlag.addTriangle (outX, height, outX - 8.0f, height, outX, height - 8.0f);
        g.fillPath (outFlag);
    }

    // The heads: repro in red at the tape position, record in cyan one head gap behind.
    const double position = DeckControls::tapePositionSeconds (processor);
    double gap = 0.0;
    if (auto* time = processor.parameters.getRawParameterValue (ParameterIds::TIME))
        gap = *time / 1000.0;
    if (auto* punch = processor.parameters.getRawParameterValue (ParameterIds::PUNCH_IN); punch != nullptr && *punch > 0.5f)
        gap = 0.0;

    g.setColour (juce::Colours::red.withAlpha ((juce::uint8) 204));
    g.fillRect (timeToX (position), 0.0f, 2.0f, height);
    g.setColour (juce::Colours::cyan.withAlpha ((juce::uint8) 204));
    g.fillRect (timeToX (position - gap), 0.0f, 2.0f, height);

    // Where the brush would land.
    if (hoverLane >= 0 && brushType > 0)
    {
        const auto area = brushType == TapeDefectKind::splice
                              ? juce::Rectangle<float> (hoverX - 1.0f, 0.0f, 2.0f, height)
                              : juce::Rectangle<float> (hoverX - 10.0f, height - (float) (hoverLane + 1) * laneHeight,
                                                        20.0f, laneHeight);
        g.setColour (juce::Colours::white.withAlpha ((juce::uint8) 51));
        g.fillRect (area);
        g.setColour (juce::Colours::white.withAlpha ((juce::uint8) 128));
        g.drawRect (area, 1.0f);
    }
}

void TapeStripComponent::paintDefects (juce::Graphics& g, float laneHeight)
{
    const auto& head = processor.tracks.front().getHead();
    const auto& cells = head.defects;
    const int cellCount = (int) cells.size();
    const float height = (float) getHeight();

    const int first = (int) (viewStart * cellsPerSecond);
    const int count = juce::jmax (1, (int) (viewLength * cellsPerSecond));
    const float pixelsPerCell = (float) getWidth() / (float) count;
    int step = count / 1200;
    if (step < 2)
        step = 1;
    const float cellWidth = juce::jmax ((float) step * pixelsPerCell, 1.0f);

    for (int lane = 0; lane < numLanes; ++lane)
    {
        const float laneTop = height - (float) (lane + 1) * laneHeight;
        if (lane > 0)
        {
            g.setColour (juce::Colours::white.withAlpha ((juce::uint8) 13));
            g.fillRect (0.0f, (float) (int) (height - (float) lane * laneHeight), (float) getWidth(), 1.0f);
        }

        for (int cell = first; cell < first + count && cell < cellCount; cell += step)
        {
            if (cell < 0)
                continue;
            const float v = cells[(size_t) cell].lanes[lane];
            if (std::abs (v) <= 0.001f)
                continue;

            const float x = (float) (cell - first) * pixelsPerCell;
            if (v >= 30.0f)
            {
                g.setColour (juce::Colour (0x9b59b6).withAlpha (alphaByte (juce::jmin (0.9, juce::jmin (v - 30.0, 1.0) * 20.0))));
                g.fillRect (x, laneTop + 1.0f, cellWidth, laneHeight - 2.0f);
            }
            else if (v >= 20.0f)
            {
                g.setColour (juce::Colour (0xff0000).withAlpha (alphaByte (juce::jmin (v - 20.0, 1.0) * 0.7)));
                g.fillRect (x, laneTop + 1.0f, cellWidth, laneHeight - 2.0f);
            }
            else if (v >= 10.0f)
            {
                g.setColour (juce::Colour (0x00ffff).withAlpha (alphaByte (juce::jmin (v - 10.0, 1.0) * 0.4)));
                g.fillRect (x, laneTop + 1.0f, cellWidth, laneHeight - 2.0f);
            }
            else if (v > 0.0f)
            {
                g.setColour (juce::Colour (0xd2b48c).withAlpha (alphaByte (juce::jmin ((double) v, 1.0) * 0.8)));
                g.fillRect (x, laneTop, cellWidth, laneHeight);
            }
            else if (v < -0.5f)
            {
                g.setColour (juce::Colours::black.withAlpha ((juce::uint8) 204));
                g.fillRect (x, laneTop, 1.0f, laneHeight);
                g.setColour (juce::Colour (0xffffee).withAlpha ((juce::uint8) 96));
                g.fillRect (x - 1.0f, laneTop, 3.0f, laneHeight);
            }
        }
    }
}

void TapeStripComponent::paintWaveform (juce::Graphics& g)
{
    auto* wave = processor.parameters.getRawParameterValue (ParameterIds::SHOW_WAVE);
    const double rate = processor.getSampleRate();
    if (wave == nullptr || *wave <= 0.5f || ! (rate > 0.0) || waveformTrack < 0
        || waveformTrack >= (int) processor.tracks.size())
        return;

    const auto& track = processor.tracks[(size_t) waveformTrack];
    const auto& audio = track.audio;
    const int total = audio.getNumSamples();
    if (total <= 0 || audio.getNumChannels() <= 0)
        return;

    // The view shows the same 30-second lap of the tape as the heads.
    double lap = track.sampleRate > 0.0 ? std::floor (track.position / track.sampleRate / repeatSeconds) : 0.0;
    if (! (lap > 0.0))
        lap = 0.0;
    const juce::int64 first = (juce::int64) (rate * viewStart) + (juce::int64) (lap * repeatSeconds * rate);
    const double perPixel = viewLength * rate / juce::jmax (1, getWidth());
    const float* samples = audio.getReadPointer (0);
    const float mid = (float) getHeight() * 0.5f;

    juce::Colour colour = juce::Colours::cyan.withAlpha ((juce::uint8) 128);
    if (const auto* modern = ModernLookAndFeel::getDefault())
    {
        const auto accent = juce::Colour (modern->cAccent);
        colour = modern->isDark() ? accent.withAlpha ((juce::uint8) 153)
                                  : juce::Colour::fromFloatRGBA (accent.getFloatRed() / 1.2f, accent.getFloatGreen() / 1.2f,
                                                                 accent.getFloatBlue() / 1.2f, 191.0f / 255.0f);
    }
    g.setColour (colour);

    for (int i = 0; i < getWidth(); ++i)
    {
        const juce::int64 from = first + (juce::int64) (i * perPixel);
        if (from < 0 || from >= total)
            break;
        const juce::int64 to = juce::jmin ((juce::int64) total, first + (juce::int64) ((i + 1) * perPixel));
        const juce::int64 stride = juce::jmax ((juce::int64) 1, (to - from) / 16);

        float peak = 0.0f;
        for (auto s = from; s < to; s += stride)
            peak = juce::jmax (peak, std::abs (samples[s]));

        if (peak > 0.01f)
            g.fillRect ((float) i, mid - peak * mid, 1.0f, 2.0f * peak * mid);
    }
}
