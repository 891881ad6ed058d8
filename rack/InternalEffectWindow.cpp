#include "rack/InternalEffectWindow.h"

#include "rack/BuiltInEffectEditor.h"
#include "rack/FocusNextTopLevelWindow.h"

InternalEffectWindow::InternalEffectWindow (TavrelDelayAudioProcessor& processor, int effectType, InsertPlugin* slot)
    : juce::DocumentWindow (BuiltInEffectEditor::windowTitle (effectType),
                            juce::LookAndFeel::getDefaultLookAndFeel().findColour (juce::ResizableWindow::backgroundColourId),
                            juce::DocumentWindow::closeButton),
      settings (slot)
{
    // The native title bar first, so the window fits the editor's design size exactly.
    setUsingNativeTitleBar (true);
    setContentOwned (new BuiltInEffectEditor (processor, effectType, slot), true);

    // Always on top rather than attached to the main window: on Linux attaching to another
    // native window embeds this one inside it.
    constrainer.setSizeLimits (500, 252, 1920, 971);
    constrainer.setFixedAspectRatio (1920.0 / 971.0);
    setConstrainer (&constrainer);
    setResizable (true, true);
    centreWithSize (getWidth(), getHeight());
    constrainer.targetWindow = this;
    constrainer.preferredWidth = getWidth();
    constrainer.preferredHeight = getHeight();
    setBounds (getBounds());
    setAlwaysOnTop (true);
    setVisible (true);
}

InternalEffectWindow::~InternalEffectWindow()
{
    clearContentComponent();
}

BuiltInEffectEditor* InternalEffectWindow::getEditor() const
{
    return dynamic_cast<BuiltInEffectEditor*> (getContentComponent());
}

bool InternalEffectWindow::keyPressed (const juce::KeyPress& key)
{
    return handleSecondaryWindowKey (key, *this);
}

void InternalEffectWindow::closeButtonPressed()
{
    delete this;
}
