#include "ui/deck/TapeRoomDialogs.h"

#include "app/SafeAlertWindow.h"

namespace TapeRoomDialogs
{
SafeAlertWindow* create (const juce::String& title, const juce::String& message, juce::MessageBoxIconType icon,
                         juce::LookAndFeel& look)
{
    auto* window = new SafeAlertWindow (title, message, icon);
    window->getProperties().set (SafeAlertWindow::bodyTextProperty, message);
    window->setLookAndFeel (&look);
    return window;
}

void show (SafeAlertWindow* window, std::function<void (int)> onResult)
{
    window->enterModalState (true, onResult != nullptr ? juce::ModalCallbackFunction::create (std::move (onResult)) : nullptr,
                             true);
}

SafeAlertWindow* showNotice (const juce::String& title, const juce::String& message, juce::LookAndFeel& look,
                             juce::MessageBoxIconType icon)
{
    auto* window = create (title, message, icon, look);
    window->addButton ("OK", 1, juce::KeyPress (juce::KeyPress::returnKey));
    show (window, nullptr);
    return window;
}

void releaseLook (juce::LookAndFeel& look)
{
    auto& desktop = juce::Desktop::getInstance();

    for (int i = desktop.getNumComponents(); --i >= 0;)
        if (auto* window = desktop.getComponent (i); window != nullptr && &window->getLookAndFeel() == &look)
            window->setLookAndFeel (nullptr);
}
} // namespace TapeRoomDialogs
