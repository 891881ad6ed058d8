#pragma once

#include "engine/TavrelDelayAudioProcessor.h"

#include <juce_gui_basics/juce_gui_basics.h>

/** MIDI learn as every instrument panel does it: "MIDI LEARN" shows a glass pane over the panel,
    a click on the pane picks the control beneath it, the processor learns it under the
    control's learn ID, and a frame marks the control until a controller is bound. Each panel
    keeps its own button, pane, target and armed flag; these steps work on them. */
namespace InstrumentLearnMode
{
using Target = juce::Component::SafePointer<juce::Component>;

/** "MIDI LEARN" toggled: on brings the pane up; off ends learning and forgets the target. */
void learnButtonClicked (TavrelDelayAudioProcessor& processor, juce::Button& learnButton, juce::Component& glassPane,
                         Target& learnTarget, juce::Component& panel);

/** The timer's step: the button follows the processor's learn state, and once a controller is
    bound (or learning was cleared) the target is forgotten. The pane stays, so the next click
    picks another control. */
void followProcessor (TavrelDelayAudioProcessor& processor, juce::Button& learnButton, bool& learnWasArmed,
                      Target& learnTarget, juce::Component& panel);

/** The panel's control under a click on the pane: a click on a control's own parts (a choice
    box's text, a knob's value box), which carry no ID, counts for the control they belong to.
    Nullptr when nothing of this panel with an ID is there (another window's controls included). */
juce::Component* controlUnder (juce::Component& panel, juce::Component& glassPane, const juce::MouseEvent& click);

/** Makes the control the target and has the processor learn it for the instrument type. */
void arm (TavrelDelayAudioProcessor& processor, juce::Component& control, int builtInType, Target& learnTarget,
          juce::Component& panel);

/** The white frame over the target while the processor is learning. */
void paintTargetFrame (juce::Graphics& g, TavrelDelayAudioProcessor& processor, const Target& learnTarget,
                       const juce::Component& panel);
} // namespace InstrumentLearnMode
