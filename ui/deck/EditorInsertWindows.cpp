// The editor's separate windows of the rack: the master insert window, and closing every
// separate window before a reel is opened or ejected and before quitting.

#include "rack/MasterInsertWindow.h"
#include "rack/RackIds.h"
#include "rack/TrackInsertWindow.h"
#include "ui/deck/TavrelDelayAudioProcessorEditor.h"

void TavrelDelayAudioProcessorEditor::openMasterInsertWindow()
{
    if (auto* window = dynamic_cast<MasterInsertWindow*> (masterInsertWindow.getComponent()))
    {
        window->toFront (true);
        return;
    }

    masterInsertWindow = new MasterInsertWindow (audioProcessor);
}

void TavrelDelayAudioProcessorEditor::closeAllSecondaryWindows()
{
    if (auto* window = dynamic_cast<MasterInsertWindow*> (masterInsertWindow.getComponent()))
    {
        window->setVisible (false);
        delete window;
    }
    masterInsertWindow = nullptr;

    for (auto* pointer : {&musicalTypingWindow, &performanceWindow})
    {
        if (auto* window = dynamic_cast<juce::DocumentWindow*> (pointer->getComponent()))
        {
            window->setVisible (false);
            delete window;
        }
        *pointer = nullptr;
    }

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
}
