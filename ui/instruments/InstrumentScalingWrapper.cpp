#include "ui/instruments/InstrumentScalingWrapper.h"

#include "ui/looks/ModernLookAndFeel.h"

InstrumentScalingWrapper::InstrumentScalingWrapper (std::unique_ptr<juce::Component> editor, int width, int height)
    : content (std::move (editor)), designWidth (width), designHeight (height)
{
    if (content != nullptr)
    {
        addAndMakeVisible (*content);
        content->setBounds (0, 0, designWidth, designHeight);
    }
    setSize (designWidth, designHeight);
}

InstrumentScalingWrapper::~InstrumentScalingWrapper()
{
    content.reset();
}

void InstrumentScalingWrapper::setDesignSize (int newDesignWidth, int newDesignHeight)
{
    designWidth = newDesignWidth;
    designHeight = newDesignHeight;
    if (content != nullptr)
    {
        // Laid out without the scale, then scaled again.
        content->setTransform ({});
        content->setBounds (0, 0, designWidth, designHeight);
    }
    resized();
}

float InstrumentScalingWrapper::getScale() const noexcept
{
    if (designWidth <= 0 || designHeight <= 0)
        return 1.0f;
    return juce::jmin ((float)getHeight() / (float)designHeight, (float)getWidth() / (float)designWidth);
}

void InstrumentScalingWrapper::paint (juce::Graphics& g)
{
    if (auto* modern = ModernLookAndFeel::getDefault())
        g.fillAll (modern->isDark() ? juce::Colours::black : juce::Colour (modern->cBg));
    else
        g.fillAll (juce::Colour (0xffa0a0a0));
}

void InstrumentScalingWrapper::resized()
{
    if (content == nullptr || designWidth <= 0 || designHeight <= 0)
        return;

    const float s = getScale();
    content->setTransform (juce::AffineTransform::scale (s).translated (((float)getWidth() - s * (float)designWidth) / 2.0f,
                                                                        ((float)getHeight() - s * (float)designHeight) / 2.0f));
}
