#include "ui/instruments/TannerinBreakoutWindow.h"

#include "rack/FocusNextTopLevelWindow.h"
#include "ui/instruments/TannerinBreakoutComponent.h"
#include "ui/instruments/TannerinIds.h"

TannerinBreakoutWindow::TannerinBreakoutWindow (TavrelDelayAudioProcessor& processor,
                                                TavrelDelayAudioProcessor::InstrumentPlugin* slot,
                                                juce::Button* editorTouchButton)
    : juce::DocumentWindow (TannerinIds::performanceTitle, juce::Colour (0xff2b2b2b),
                            juce::DocumentWindow::minimiseButton | juce::DocumentWindow::maximiseButton
                                | juce::DocumentWindow::closeButton,
                            true)
{
    setContentOwned (new TannerinBreakoutComponent (processor, slot, editorTouchButton), true);
    setUsingNativeTitleBar (true);

    // Not re-added as an owned window of the active one: on Linux that embeds it inside the
    // other window. Always on top keeps it in front instead.

    setResizable (true, true);
    setResizeLimits (600, 200, 3000, 800);

    const auto* display = juce::Desktop::getInstance().getDisplays().getPrimaryDisplay();
    centreWithSize (widthForDisplay (display != nullptr ? display->userArea.getWidth() : 0), preferredHeight);

    // The window's own limits stay in force under the shared constrainer.
    constrainer.setSizeLimits (600, 200, 3000, 800);
    constrainer.attachTo (*this);

    setAlwaysOnTop (true);
    setVisible (true);
    if (auto* content = getContentComponent())
        content->grabKeyboardFocus();
}

TannerinBreakoutWindow::~TannerinBreakoutWindow()
{
    clearContentComponent();
}

int TannerinBreakoutWindow::widthForDisplay (int userAreaWidth) noexcept
{
    return userAreaWidth > 0 ? juce::jmin (preferredWidth, userAreaWidth - 40) : preferredWidth;
}

TannerinBreakoutComponent* TannerinBreakoutWindow::getPerformanceComponent() const
{
    return dynamic_cast<TannerinBreakoutComponent*> (getContentComponent());
}

bool TannerinBreakoutWindow::keyPressed (const juce::KeyPress& key)
{
    return handleSecondaryWindowKey (key, *this);
}

void TannerinBreakoutWindow::closeButtonPressed()
{
    delete this;
}
