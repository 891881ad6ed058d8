#include "ui/panels/PerformanceWindow.h"

#include "ui/panels/PerformanceContent.h"

PerformanceWindow::PerformanceWindow (TavrelDelayAudioProcessor& processor, juce::LookAndFeel* look)
    : juce::DocumentWindow ("Performance Monitor", juce::Colours::black, juce::DocumentWindow::closeButton, true)
{
    if (look != nullptr)
        setLookAndFeel (look);

    setContentOwned (new PerformanceContent (processor), true);
    setUsingNativeTitleBar (true);
    setResizable (false, false);
    centreWithSize (getWidth(), getHeight());

    constrainer.attachTo (*this);

    // Kept above the main window (the menu bar lowers it while another program is in front).
    setAlwaysOnTop (true);
    setVisible (true);
}

PerformanceWindow::~PerformanceWindow()
{
    setConstrainer (nullptr);
    setLookAndFeel (nullptr);
}

void PerformanceWindow::closeButtonPressed()
{
    delete this;
}
