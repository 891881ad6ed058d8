#include "storage/RackStateXml.h"

#include "storage/StateXmlIds.h"
#include "storage/StateXmlValues.h"

namespace RackStateXml
{
bool isInputSourceCode (int code) noexcept
{
    return code == -1 || (code >= 0 && code < numRoutedTracks) ||
           (code >= 100 && code < 100 + 2 * maxInstrumentSlots) || (code >= 200 && code < 200 + numRoutedTracks) ||
           (code >= 300 && code <= 303);
}

void writeRouting (juce::XmlElement& rack, const std::array<int, numRoutedTracks>& inputSources,
                   const std::array<std::atomic<int>, 26>& channelGroups)
{
    auto* routing = rack.createNewChildElement (StateXmlIds::ROUTING);

    for (int i = 0; i < numRoutedTracks; ++i)
    {
        routing->setAttribute (StateXmlIds::trackPrefix + juce::String (i), inputSources[(size_t)i]);
        routing->setAttribute (StateXmlIds::groupPrefix + juce::String (i), channelGroups[(size_t)i].load());
    }
}

Routing readRouting (const juce::XmlElement& routing)
{
    Routing result;

    for (int i = 0; i < numRoutedTracks; ++i)
    {
        const auto source =
            StateXmlValues::readCodeOrFallback (routing, StateXmlIds::trackPrefix + juce::String (i), -1, -1, 303);
        result.inputSources[(size_t)i] = isInputSourceCode (source) ? source : -1;
        result.groups[(size_t)i] =
            StateXmlValues::readCodeOrFallback (routing, StateXmlIds::groupPrefix + juce::String (i), 0, 0, numGroups);
    }

    return result;
}

bool readPluginDescription (const juce::XmlElement& element, juce::PluginDescription& description)
{
    if (const auto* plugin = StateXmlValues::findChild (element, StateXmlIds::PLUGIN))
    {
        // The description reader insists on its own tag, spelled exactly.
        if (plugin->getTagName() == StateXmlIds::PLUGIN)
            return description.loadFromXml (*plugin);

        juce::XmlElement renamed (*plugin);
        renamed.setTagName (StateXmlIds::PLUGIN);
        return description.loadFromXml (renamed);
    }

    if (const auto* older = StateXmlValues::findChild (element, StateXmlIds::PLUGIN_DESC))
    {
        juce::XmlElement renamed (*older);
        renamed.setTagName (StateXmlIds::PLUGIN);
        return description.loadFromXml (renamed);
    }

    return false;
}
} // namespace RackStateXml
