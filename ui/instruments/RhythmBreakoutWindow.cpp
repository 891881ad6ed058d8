#include "ui/instruments/RhythmBreakoutWindow.h"

#include "rack/FocusNextTopLevelWindow.h"
#include "ui/instruments/BuiltInRhythmEditorIds.h"
#include "ui/instruments/RhythmBreakoutComponent.h"

juce::Rectangle<int> RhythmBreakoutWindow::lastSequencerSize{0, 0, 1100, 700};

RhythmBreakoutWindow::RhythmBreakoutWindow (TavrelDelayAudioProcessor& processor, InstrumentPlugin* slot)
    : juce::DocumentWindow (RhythmEditorIds::sequencerTitle, juce::Colour (0xff2b2b2b), juce::DocumentWindow::allButtons, true)
{
    auto* content = new RhythmBreakoutComponent (processor, slot);
    content->setSize (lastSequencerSize.getWidth(), lastSequencerSize.getHeight());
    setContentOwned (content, true);
    openBreakoutWindow (*this, constrainer, lastSequencerSize, {0, 0, 700, 400}, 11.0 / 7.0);
}

RhythmBreakoutWindow::~RhythmBreakoutWindow()
{
    clearContentComponent();
}

void RhythmBreakoutWindow::openBreakoutWindow (juce::DocumentWindow& window, SafeWindowConstrainer& constrainer,
                                               juce::Rectangle<int> size, juce::Rectangle<int> minSize, double aspectRatio)
{
    window.setUsingNativeTitleBar (true);
    // Always on top rather than given the active window as native parent: on Linux a native
    // parent embeds the window inside the other one.
    window.setResizable (true, true);

    int width = size.getWidth();
    int height = size.getHeight();
    if (auto* display = juce::Desktop::getInstance().getDisplays().getPrimaryDisplay())
    {
        width = juce::jmin (width, display->userArea.getWidth() - 40);
        height = juce::jmin (height, display->userArea.getHeight() - 40);
    }
    window.centreWithSize (width, height);

    constrainer.setSizeLimits (minSize.getWidth(), minSize.getHeight(), 3000, 1600);
    constrainer.setFixedAspectRatio (aspectRatio);
    window.setConstrainer (&constrainer);
    constrainer.targetWindow = &window;
    constrainer.preferredWidth = window.getWidth();
    constrainer.preferredHeight = window.getHeight();

    window.setBounds (window.getBounds());
    window.setAlwaysOnTop (true);
    window.setVisible (true);
    if (auto* content = window.getContentComponent())
        content->grabKeyboardFocus();
}

RhythmBreakoutComponent* RhythmBreakoutWindow::getBreakout() const
{
    return dynamic_cast<RhythmBreakoutComponent*> (getContentComponent());
}

void RhythmBreakoutWindow::resized()
{
    juce::DocumentWindow::resized();
    if (getWidth() > 200 && ! isMinimised() && isVisible())
        lastSequencerSize = {0, 0, getWidth(), getHeight()};
}

bool RhythmBreakoutWindow::keyPressed (const juce::KeyPress& key)
{
    return handleSecondaryWindowKey (key, *this);
}

void RhythmBreakoutWindow::closeButtonPressed()
{
    delete this;
}
