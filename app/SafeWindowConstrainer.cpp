#include "app/SafeWindowConstrainer.h"

namespace
{
constexpr int displayCheckIntervalMs = 300;
constexpr int minimumWidth = 150;
constexpr int minimumHeight = 50;

const juce::Displays::Display* findMainDisplay()
{
    return juce::Desktop::getInstance().getDisplays().getPrimaryDisplay();
}
} // namespace

SafeWindowConstrainer::SafeWindowConstrainer()
{
    // Raises the maximum sizes to at least these too.
    setMinimumSize (minimumWidth, minimumHeight);

    if (auto* display = findMainDisplay())
        lastUserArea = display->userArea;

    startTimer (displayCheckIntervalMs);
}

void SafeWindowConstrainer::attachTo (juce::ResizableWindow& window)
{
    window.setConstrainer (this);
    targetWindow = &window;
    preferredWidth = window.getWidth();
    preferredHeight = window.getHeight();
    window.setBounds (window.getBounds());
}

void SafeWindowConstrainer::checkBounds (juce::Rectangle<int>& bounds, const juce::Rectangle<int>& previousBounds,
                                         const juce::Rectangle<int>& limits, bool isStretchingTop,
                                         bool isStretchingLeft, bool isStretchingBottom, bool isStretchingRight)
{
    juce::ComponentBoundsConstrainer::checkBounds (bounds, previousBounds, limits, isStretchingTop, isStretchingLeft,
                                                   isStretchingBottom, isStretchingRight);

    if (auto* display = findMainDisplay())
        moveInside (bounds, display->userArea);
}

void SafeWindowConstrainer::moveInside (juce::Rectangle<int>& bounds, juce::Rectangle<int> area)
{
    if (bounds.getRight() > area.getRight())
        bounds.setX (area.getRight() - bounds.getWidth());
    if (bounds.getX() < area.getX())
        bounds.setX (area.getX());

    if (bounds.getBottom() > area.getBottom())
        bounds.setY (area.getBottom() - bounds.getHeight());
    if (bounds.getY() < area.getY())
        bounds.setY (area.getY());
}

juce::Rectangle<int> SafeWindowConstrainer::fitPreferredSize (int width, int height, juce::Rectangle<int> area)
{
    const double ratio = (double)width / (double)height;
    int w = width;
    int h = height;

    if (width > area.getWidth())
    {
        w = area.getWidth();
        h = (int)(area.getWidth() / ratio);
    }

    if (h > area.getHeight())
    {
        h = area.getHeight();
        w = (int)(area.getHeight() * ratio);
    }

    return {area.getX() + area.getWidth() / 2 - w / 2, area.getY() + area.getHeight() / 2 - h / 2, w, h};
}

void SafeWindowConstrainer::timerCallback()
{
    checkMainDisplay (findMainDisplay());
}

void SafeWindowConstrainer::checkMainDisplay (const juce::Displays::Display* mainDisplay)
{
    if (mainDisplay == nullptr || mainDisplay->userArea == lastUserArea)
        return;

    lastUserArea = mainDisplay->userArea;

    // An empty user area would shrink the window to nothing: leave it where it is.
    if (targetWindow == nullptr || preferredWidth <= 0 || preferredHeight <= 0 || lastUserArea.isEmpty())
        return;

    targetWindow->setBounds (fitPreferredSize (preferredWidth, preferredHeight, lastUserArea));
    targetWindow->repaint();
}
