#include "app/MainWindow.h"

#include "engine/TavrelDelayAudioProcessor.h"

MainWindow::MainWindow (const juce::String& title, TavrelDelayAudioProcessor& processor)
    : juce::DocumentWindow (title, juce::Colour (0xff000000), juce::DocumentWindow::allButtons, true)
{
    setUsingNativeTitleBar (true);
    setResizable (true, true);

    auto* editor = processor.createEditor();
    setContentOwned (editor, true);

    if (auto* limits = editor->getConstrainer())
        setResizeLimits (limits->getMinimumWidth(), limits->getMinimumHeight(), limits->getMaximumWidth(),
                         limits->getMaximumHeight());

    setBounds (getMainUserArea());
    setVisible (true);
}

void MainWindow::closeButtonPressed()
{
    if (auto* app = juce::JUCEApplication::getInstance())
        app->systemRequestedQuit();
}

void MainWindow::minimisationStateChanged (bool isNowMinimised)
{
    // Insert, plug-in, instrument and device windows go and come back with the main window.
    for (int i = juce::TopLevelWindow::getNumTopLevelWindows(); --i >= 0;)
        if (auto* window = juce::TopLevelWindow::getTopLevelWindow (i); window != nullptr && window != this)
            window->setVisible (! isNowMinimised);
}

juce::Rectangle<int> MainWindow::getMainUserArea()
{
    if (const auto* display = juce::Desktop::getInstance().getDisplays().getPrimaryDisplay())
        return display->userArea;

    return {0, 0, 1280, 800};
}
