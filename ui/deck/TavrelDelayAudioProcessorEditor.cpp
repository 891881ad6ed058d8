#include "ui/deck/TavrelDelayAudioProcessorEditor.h"

#include "engine/TavrelDelayAudioProcessor.h"

TavrelDelayAudioProcessorEditor::TavrelDelayAudioProcessorEditor (TavrelDelayAudioProcessor& processorToEdit)
    : juce::AudioProcessorEditor (processorToEdit), audioProcessor (processorToEdit)
{
    setSize (1280, 800);
}

TavrelDelayAudioProcessorEditor::~TavrelDelayAudioProcessorEditor() = default;

void TavrelDelayAudioProcessorEditor::closeAllSecondaryWindows()
{
    // The editor opens no separate windows yet.
}

void TavrelDelayAudioProcessorEditor::paint (juce::Graphics& g)
{
    g.fillAll (juce::Colours::black);
    g.setColour (juce::Colours::white);
    g.setFont (24.0f);
    g.drawFittedText (audioProcessor.getName(), getLocalBounds(), juce::Justification::centred, 1);
}
