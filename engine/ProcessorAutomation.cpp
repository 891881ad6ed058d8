// Automation lanes. Not built yet: nothing is recorded or restored.

#include "engine/TavrelDelayAudioProcessor.h"

void TavrelDelayAudioProcessor::clearAutomation (int channel)
{
    juce::ignoreUnused (channel);
}

void TavrelDelayAudioProcessor::resetAutomation() {}

std::unique_ptr<juce::XmlElement> TavrelDelayAudioProcessor::createAutomationXml()
{
    return std::make_unique<juce::XmlElement> ("AUTOMATION");
}

void TavrelDelayAudioProcessor::restoreAutomation (const juce::XmlElement& automation)
{
    juce::ignoreUnused (automation);
}
