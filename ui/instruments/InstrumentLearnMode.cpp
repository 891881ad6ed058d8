#include "ui/instruments/InstrumentLearnMode.h"

#include "instruments/BuiltInInstruments.h"

namespace
{
void forget (InstrumentLearnMode::Target& learnTarget)
{
    if (auto* target = learnTarget.getComponent())
        target->repaint();
    learnTarget = nullptr;
}
} // namespace

void InstrumentLearnMode::learnButtonClicked (TavrelDelayAudioProcessor& processor, juce::Button& learnButton,
                                              juce::Component& glassPane, Target& learnTarget, juce::Component& panel)
{
    if (learnButton.getToggleState())
    {
        glassPane.setVisible (true);
        learnButton.toFront (false);
        return;
    }

    processor.clearMidiLearnTarget();
    glassPane.setVisible (false);
    forget (learnTarget);
    panel.repaint();
}

void InstrumentLearnMode::followProcessor (TavrelDelayAudioProcessor& processor, juce::Button& learnButton,
                                           bool& learnWasArmed, Target& learnTarget, juce::Component& panel)
{
    if (processor.midiLearnArmed.load())
    {
        learnWasArmed = true;
        if (! learnButton.getToggleState())
            learnButton.setToggleState (true, juce::dontSendNotification);
    }
    else if (learnWasArmed)
    {
        learnWasArmed = false;
        learnButton.setToggleState (false, juce::dontSendNotification);
        forget (learnTarget);
        panel.repaint();
    }
}

juce::Component* InstrumentLearnMode::controlUnder (juce::Component& panel, juce::Component& glassPane,
                                                    const juce::MouseEvent& click)
{
    glassPane.setVisible (false);
    auto* found = juce::Desktop::getInstance().findComponentAt (click.getScreenPosition());
    glassPane.setVisible (true);

    while (found != nullptr && found != &panel && found->getComponentID().isEmpty() && panel.isParentOf (found))
        found = found->getParentComponent();

    if (found == nullptr || found->getComponentID().isEmpty() || ! panel.isParentOf (found))
        return nullptr;

    return found;
}

void InstrumentLearnMode::arm (TavrelDelayAudioProcessor& processor, juce::Component& control, int builtInType,
                               Target& learnTarget, juce::Component& panel)
{
    forget (learnTarget);
    learnTarget = &control;
    control.repaint();
    panel.repaint();
    processor.setMidiLearnTarget (BuiltInInstruments::makeMidiLearnId (builtInType, control.getComponentID()));
}

void InstrumentLearnMode::paintTargetFrame (juce::Graphics& g, TavrelDelayAudioProcessor& processor,
                                            const Target& learnTarget, const juce::Component& panel)
{
    auto* target = learnTarget.getComponent();
    if (target == nullptr || ! processor.midiLearnArmed.load())
        return;

    const auto area = panel.getLocalArea (target, target->getLocalBounds()).reduced (2).toFloat();
    g.setColour (juce::Colours::white.withAlpha ((juce::uint8)0xcc));
    g.drawRoundedRectangle (area, 6.0f, 2.0f);
    g.setColour (juce::Colours::white.withAlpha ((juce::uint8)0x33));
    g.fillRoundedRectangle (area, 6.0f);
}
