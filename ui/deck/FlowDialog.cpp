#include "ui/deck/FlowDialog.h"

#include <memory>

namespace FlowDialog
{
juce::MessageBoxIconType iconFor (int iconType) noexcept
{
    switch (iconType)
    {
        case 1:
            return juce::MessageBoxIconType::QuestionIcon;
        case 2:
            return juce::MessageBoxIconType::WarningIcon;
        case 3:
            return juce::MessageBoxIconType::InfoIcon;
        default:
            return juce::MessageBoxIconType::NoIcon;
    }
}

SafeAlertWindow* create (const juce::String& title, const juce::String& message, int iconType, juce::LookAndFeel* look)
{
    auto* dialog = new SafeAlertWindow (title, message, iconFor (iconType));
    dialog->getProperties().set (SafeAlertWindow::bodyTextProperty, message);

    if (look != nullptr)
        dialog->setLookAndFeel (look);

    return dialog;
}

void addButton (SafeAlertWindow& dialog, const juce::String& text, int result, bool returnKey)
{
    const auto first = result == 1 || returnKey ? juce::KeyPress (juce::KeyPress::returnKey) : juce::KeyPress();
    const auto second = result == 0 ? juce::KeyPress (juce::KeyPress::escapeKey) : juce::KeyPress();
    dialog.addButton (text, result, first, second);
}

void show (SafeAlertWindow* dialog, std::function<void (int, SafeAlertWindow&)> onResult)
{
    dialog->enterModalState (true,
                             juce::ModalCallbackFunction::create (
                                 [dialog, callback = std::move (onResult)] (int result)
                                 {
                                     const std::unique_ptr<SafeAlertWindow> owned (dialog);
                                     owned->setLookAndFeel (nullptr);
                                     if (callback)
                                         callback (result, *owned);
                                 }),
                             false);
}

void ask (const juce::String& title, const juce::String& message, int iconType, const juce::String& yesText,
          juce::LookAndFeel* look, std::function<void()> onYes)
{
    auto* dialog = create (title, message, iconType, look);
    addButton (*dialog, yesText, 1);
    addButton (*dialog, "Cancel", 0);
    show (dialog,
          [yes = std::move (onYes)] (int result, SafeAlertWindow&)
          {
              if (result == 1 && yes)
                  yes();
          });
}

void notify (const juce::String& title, const juce::String& message, int iconType, juce::LookAndFeel* look,
             std::function<void()> onDismissed)
{
    auto* dialog = create (title, message, iconType, look);
    dialog->addButton ("OK", 1, juce::KeyPress (juce::KeyPress::returnKey), juce::KeyPress (juce::KeyPress::escapeKey));
    show (dialog,
          [done = std::move (onDismissed)] (int, SafeAlertWindow&)
          {
              if (done)
                  done();
          });
}

juce::AlertWindow* findOpenDialog (const juce::String& title)
{
    // Index 0 is the dialog on top.
    auto* modal = juce::ModalComponentManager::getInstance();
    for (int i = 0; i < modal->getNumModalComponents(); ++i)
        if (auto* alert = dynamic_cast<juce::AlertWindow*> (modal->getModalComponent (i)))
            if (title.isEmpty() || alert->getName() == title)
                return alert;

    return nullptr;
}
} // namespace FlowDialog
