#include "ui/deck/DustCoverComponent.h"

#include "ui/looks/CustomLookAndFeel.h"

namespace
{
// The cover picture belongs to the vintage look; any other look draws no cover.
const juce::Image* findCoverPicture (juce::LookAndFeel& look)
{
    auto* vintage = dynamic_cast<CustomLookAndFeel*> (&look);
    return vintage != nullptr ? &vintage->dustCoverImage : nullptr;
}
} // namespace

DustCoverComponent::DustCoverComponent()
{
    alphaRamp.reset (rampSteps);
    offsetRamp.reset (rampSteps);
    alphaRamp.setCurrentAndTargetValue (1.0f);
    offsetRamp.setCurrentAndTargetValue (0.0f);

    // The cover itself takes the clicks on its lid; it has no children.
    setInterceptsMouseClicks (true, false);
}

DustCoverComponent::~DustCoverComponent()
{
    stopTimer();
    onLifted = nullptr;
}

void DustCoverComponent::lift()
{
    lifting = true;
    alphaRamp.setTargetValue (0.0f);
    offsetRamp.setTargetValue (40.0f);
    startTimer (tickMilliseconds);
}

void DustCoverComponent::drop()
{
    lifting = false;
    alphaRamp.setTargetValue (1.0f);
    offsetRamp.setTargetValue (0.0f);
    setVisible (true);
    startTimer (tickMilliseconds);
}

void DustCoverComponent::putAwayAtOnce()
{
    stopTimer();
    lifting = true;
    alphaRamp.setCurrentAndTargetValue (0.0f);
    offsetRamp.setCurrentAndTargetValue (40.0f);
    alpha = 0.0f;
    yOffset = 40.0f;
    setVisible (false);
}

bool DustCoverComponent::isOnLid (int x, int y) noexcept
{
    return x >= 900.5 && x < 1459.5 && y >= 72 && y < 362.5;
}

bool DustCoverComponent::hitTest (int x, int y)
{
    return isOnLid (x, y);
}

void DustCoverComponent::mouseDown (const juce::MouseEvent& event)
{
    if (event.mods.isRightButtonDown() || event.getNumberOfClicks() > 1 || lifting)
        return;

    lift();
}

void DustCoverComponent::paint (juce::Graphics& g)
{
    const auto* picture = findCoverPicture (getLookAndFeel());

    if (picture == nullptr || ! picture->isValid() || getWidth() <= 0 || getHeight() <= 0)
        return;

    // The picture is large and the lift repaints it every tick: scale it once to the pixels it
    // covers on screen, and only blend that copy while it moves.
    const float pixelScale = juce::jmax (0.1f, g.getInternalContext().getPhysicalPixelScaleFactor());
    const int wantedWidth = juce::roundToInt ((float) getWidth() * pixelScale);
    const int wantedHeight = juce::roundToInt ((float) getHeight() * pixelScale);

    if (scaledPicture.getWidth() != wantedWidth || scaledPicture.getHeight() != wantedHeight
        || scaledFrom != picture->getPixelData())
    {
        scaledPicture = picture->rescaled (wantedWidth, wantedHeight, juce::Graphics::highResamplingQuality);
        scaledFrom = picture->getPixelData();
    }

    g.setOpacity (alpha);
    g.drawImage (scaledPicture, juce::Rectangle<float> (0.0f, -yOffset, (float) getWidth(), (float) getHeight()),
                 juce::RectanglePlacement::stretchToFit);
}

void DustCoverComponent::timerCallback()
{
    alpha = alphaRamp.getNextValue();
    yOffset = offsetRamp.getNextValue();
    repaint();

    const bool settled = std::abs (alpha - alphaRamp.getTargetValue()) < 0.001f
                         && std::abs (yOffset - offsetRamp.getTargetValue()) < 0.001f;
    if (! settled)
        return;

    stopTimer();

    if (alpha <= 0.0f)
    {
        setVisible (false);

        if (onLifted)
            onLifted();
    }
}
