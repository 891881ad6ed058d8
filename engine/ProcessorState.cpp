// The processor's state for a host, and the rack state element. For now the state is the
// parameter tree alone; the rack element is empty.

#include "engine/TavrelDelayAudioProcessor.h"

#include "engine/ParameterIds.h"

void TavrelDelayAudioProcessor::getStateInformation (juce::MemoryBlock& destData)
{
    if (const auto xml = parameters.copyState().createXml())
        copyXmlToBinary (*xml, destData);
}

void TavrelDelayAudioProcessor::setStateInformation (const void* data, int sizeInBytes)
{
    if (const auto xml = getXmlFromBinary (data, sizeInBytes))
        if (xml->hasTagName (ParameterIds::PARAMETERS))
            parameters.replaceState (juce::ValueTree::fromXml (*xml));
}

std::unique_ptr<juce::XmlElement> TavrelDelayAudioProcessor::createRackStateXml()
{
    return std::make_unique<juce::XmlElement> ("RACK_STATE");
}

void TavrelDelayAudioProcessor::restoreRackState (const juce::XmlElement& rackState)
{
    juce::ignoreUnused (rackState);
}
