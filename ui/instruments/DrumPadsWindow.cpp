#include "ui/instruments/DrumPadsWindow.h"

#include "rack/FocusNextTopLevelWindow.h"
#include "ui/instruments/BuiltInRhythmEditorIds.h"
#include "ui/instruments/DrumPadsComponent.h"
#include "ui/instruments/RhythmBreakoutWindow.h"

juce::Rectangle<int> DrumPadsWindow::lastPadsSize{0, 0, 800, 350};

DrumPadsWindow::DrumPadsWindow (TavrelDelayAudioProcessor& processor, InstrumentPlugin* slot)
    : juce::DocumentWindow (RhythmEditorIds::padsTitle, juce::Colour (0xff2b2b2b), juce::DocumentWindow::allButtons, true)
{
    auto* content = new DrumPadsComponent (processor, slot);
    content->setSize (lastPadsSize.getWidth(), lastPadsSize.getHeight());
    setContentOwned (content, true);
    RhythmBreakoutWindow::openBreakoutWindow (*this, constrainer, lastPadsSize, {0, 0, 500, 200}, 16.0 / 7.0);
}

DrumPadsWindow::~DrumPadsWindow()
{
    clearContentComponent();
}

DrumPadsComponent* DrumPadsWindow::getPads() const
{
    return dynamic_cast<DrumPadsComponent*> (getContentComponent());
}

void DrumPadsWindow::resized()
{
    juce::DocumentWindow::resized();
    if (getWidth() > 200 && ! isMinimised() && isVisible())
        lastPadsSize = {0, 0, getWidth(), getHeight()};
}

bool DrumPadsWindow::keyPressed (const juce::KeyPress& key)
{
    return handleSecondaryWindowKey (key, *this);
}

void DrumPadsWindow::closeButtonPressed()
{
    delete this;
}
