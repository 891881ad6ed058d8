#include "ui/deck/TapeStripComponent.h"

#include "engine/ParameterIds.h"
#include "engine/TavrelDelayAudioProcessor.h"
#include "ui/deck/EditorIds.h"
#include "ui/looks/ModernLookAndFeel.h"

TapeStripComponent::TapeStripComponent (TavrelDelayAudioProcessor& processorToShow)
    : processor (processorToShow)
{
    setComponentID (EditorIds::tapeStrip);
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

void TapeStripComponent::paint (juce::Graphics& g)
{
    const auto bounds = getLocalBounds().toFloat();

    if (auto* light = processor.parameters.getRawParameterValue (ParameterIds::LIGHT_GUI); light != nullptr && *light > 0.5f)
    {
        g.fillAll (juce::Colours::black.withAlpha ((juce::uint8) 51));
        g.setColour (juce::Colour (0xff808080));
        g.drawText ("VISUALIZER DISABLED", getLocalBounds(), juce::Justification::centred);
        return;
    }

    // The minimal strip is a panel of the theme; the vintage one is only outlined, over the
    // tape window of the deck's artwork.
    if (const auto* modern = ModernLookAndFeel::getDefault())
    {
        if (modern->isDark())
        {
            g.setColour (juce::Colour (modern->cChassis1));
            g.fillRoundedRectangle (bounds, 4.0f);
        }
        else
        {
            g.setColour (juce::Colour (modern->cChassis2).darker (0.05f));
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

    const float laneHeight = (float) getHeight() / numLanes;
    g.setColour (juce::Colours::white.withAlpha ((juce::uint8) 13));
    for (int lane = 1; lane < numLanes; ++lane)
        g.fillRect (0.0f, (float) (int) ((float) getHeight() - (float) lane * laneHeight), (float) getWidth(), 1.0f);

    if (processor.tracks.empty() || processor.tracks.front().sampleRate <= 0.0)
        return;

    // The heads: repro in red at the tape position, record in cyan one head gap behind.
    const auto& first = processor.tracks.front();
    const double position = first.position / first.sampleRate;
    double gap = 0.0;
    if (auto* time = processor.parameters.getRawParameterValue (ParameterIds::TIME))
        gap = *time / 1000.0;
    if (auto* punch = processor.parameters.getRawParameterValue (ParameterIds::PUNCH_IN); punch != nullptr && *punch > 0.5f)
        gap = 0.0;

    g.setColour (juce::Colours::red.withAlpha ((juce::uint8) 204));
    g.fillRect (timeToX (position), 0.0f, 2.0f, (float) getHeight());
    g.setColour (juce::Colours::cyan.withAlpha ((juce::uint8) 204));
    g.fillRect (timeToX (position - gap), 0.0f, 2.0f, (float) getHeight());
}

void TapeStripComponent::timerCallback()
{
    if (processor.isSuspended())
        return;
    if (auto* light = processor.parameters.getRawParameterValue (ParameterIds::LIGHT_GUI); light != nullptr && *light > 0.5f)
        return;

    if (isShowing())
        repaint();
}
