#include "rack/EditorConsoleRefresh.h"

#include "ui/deck/TavrelDelayAudioProcessorEditor.h"

TavrelDelayAudioProcessorEditor* findProcessorEditor (juce::Component* component)
{
    if (component == nullptr)
        return nullptr;

    if (auto* editor = dynamic_cast<TavrelDelayAudioProcessorEditor*> (component))
        return editor;

    for (auto* child : component->getChildren())
        if (auto* editor = findProcessorEditor (child))
            return editor;

    return nullptr;
}

TavrelDelayAudioProcessorEditor* refreshEditorConsole()
{
    JUCE_ASSERT_MESSAGE_THREAD

    for (int i = 0; i < juce::TopLevelWindow::getNumTopLevelWindows(); ++i)
    {
        if (auto* editor = findProcessorEditor (juce::TopLevelWindow::getTopLevelWindow (i)))
        {
            if (editor->console != nullptr)
            {
                editor->console->refreshAll();
                editor->console->repaint();
            }
            editor->repaint();
            return editor;
        }
    }

    return nullptr;
}

void postEditorConsoleRefresh()
{
    juce::MessageManager::callAsync ([] { refreshEditorConsole(); });
}
