#include "storage/PluginXml.h"

#include "storage/RackStateXml.h"
#include "storage/StateXmlIds.h"
#include "storage/StateXmlValues.h"

namespace PluginXml
{
std::unique_ptr<juce::XmlElement> create (const juce::String& tag, const juce::PluginDescription& description,
                                          const juce::String& slotPath, const juce::MemoryBlock& state)
{
    auto element = std::make_unique<juce::XmlElement> (tag);
    element->addChildElement (description.createXml().release());

    if (slotPath.isNotEmpty())
        element->setAttribute (StateXmlIds::customPath, slotPath);

    element->setAttribute (StateXmlIds::state, state.toBase64Encoding());
    return element;
}

bool read (const juce::XmlElement& element, Stored& result)
{
    result = {};

    if (! RackStateXml::readPluginDescription (element, result.description))
        return false;

    result.path = element.hasAttribute (StateXmlIds::customPath) ? element.getStringAttribute (StateXmlIds::customPath)
                                                                 : result.description.fileOrIdentifier;

    // JUCE's own decoder allocates whatever byte count the text claims: a reel is not trusted.
    if (element.hasAttribute (StateXmlIds::state))
        StateXmlValues::decodeMemoryBlock (element.getStringAttribute (StateXmlIds::state), result.state);

    return true;
}

std::unique_ptr<juce::XmlElement> writeBack (const juce::XmlElement& stored, const juce::String& tag)
{
    auto element = std::make_unique<juce::XmlElement> (stored);
    element->setTagName (tag);
    return element;
}
} // namespace PluginXml
