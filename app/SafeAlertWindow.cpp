#include "app/SafeAlertWindow.h"

namespace
{
constexpr int displayCheckIntervalMs = 300;

const juce::Displays::Display* findMainDisplay()
{
    return juce::Desktop::getInstance().getDisplays().getPrimaryDisplay();
}
} // namespace

SafeAlertWindow::SafeAlertWindow (const juce::String& title, const juce::String& message,
                                  juce::MessageBoxIconType iconType)
    : juce::AlertWindow (title, message, iconType, nullptr)
{
    if (auto* display = findMainDisplay())
        lastUserArea = display->userArea;

    setAlwaysOnTop (true);
    startTimer (displayCheckIntervalMs);
}

void SafeAlertWindow::timerCallback()
{
    checkMainDisplay (findMainDisplay());
}

void SafeAlertWindow::checkMainDisplay (const juce::Displays::Display* mainDisplay)
{
    if (mainDisplay == nullptr || mainDisplay->userArea == lastUserArea)
        return;

    lastUserArea = mainDisplay->userArea;

    if (! isVisible())
        return;

    // Centred in the area just seen rather than through the framework's centring, which asks the
    // display list again and could see a layout that changed once more in between.
    const auto area = getParentComponent() != nullptr ? getParentComponent()->getLocalBounds() : lastUserArea;
    setBounds (area.getCentreX() - getWidth() / 2, area.getCentreY() - getHeight() / 2, getWidth(), getHeight());
    repaint();
}
