// The editor's separate windows: the master insert window, and closing every separate window
// the program made before a reel is opened or ejected and before quitting.

#include "platform/ProgramWindows.h"
#include "rack/MasterInsertWindow.h"
#include "rack/RackIds.h"
#include "rack/TrackInsertWindow.h"
#include "ui/deck/TavrelDelayAudioProcessorEditor.h"

std::function<juce::DocumentWindow* (TavrelDelayAudioProcessor&)> TavrelDelayAudioProcessorEditor::makeMasterInsertWindow =
    [] (TavrelDelayAudioProcessor& processor) -> juce::DocumentWindow* { return new MasterInsertWindow (processor); };

void TavrelDelayAudioProcessorEditor::openMasterInsertWindow()
{
    if (auto* open = dynamic_cast<juce::DocumentWindow*> (masterInsertWindow.getComponent()))
    {
        open->toFront (true);
        return;
    }

    if (makeMasterInsertWindow)
        masterInsertWindow = makeMasterInsertWindow (audioProcessor);
}

void TavrelDelayAudioProcessorEditor::closeAllSecondaryWindows()
{
    const auto closeWindow = [] (juce::Component::SafePointer<juce::Component>& window)
    {
        if (auto* documentWindow = dynamic_cast<juce::DocumentWindow*> (window.getComponent()))
        {
            documentWindow->setVisible (false);
            delete documentWindow;
        }
        window = nullptr;
    };

    closeWindow (masterInsertWindow);
    closeWindow (musicalTypingWindow);
    closeWindow (performanceWindow);

    if (console != nullptr)
    {
        if (console->rack != nullptr)
            console->rack->closeAllPluginWindows();

        for (auto* strip : console->strips)
            delete dynamic_cast<TrackInsertWindow*> (strip->insertWindow.getComponent());
    }

    // The slot editors the insert windows opened: they show slots that a reel change retires.
    for (int i = juce::TopLevelWindow::getNumTopLevelWindows(); --i >= 0;)
    {
        if (i >= juce::TopLevelWindow::getNumTopLevelWindows())
            continue;

        auto* window = juce::TopLevelWindow::getTopLevelWindow (i);
        if (window == nullptr || ! window->getComponentID().startsWith (RackIds::editorWindowPrefix))
            continue;

        window->setVisible (false);
        delete window;
    }

    // Only windows the program made and registered: popup menus, call-outs, alerts and windows
    // other objects own are left alone.
    ProgramWindows::closeAll (getTopLevelComponent());
}
