// The processor's stored state: the state blob a host asks for, and the rack element (the
// instrument slots, aux returns, insert chains, routing and groups) that reels and the blob carry.

#include "engine/TavrelDelayAudioProcessor.h"

#include "engine/ParameterIds.h"
#include "storage/AutomationXml.h"
#include "storage/InsertXml.h"
#include "storage/InstrumentXml.h"
#include "storage/RackStateXml.h"
#include "storage/StateXmlIds.h"
#include "storage/StateXmlValues.h"

#include <cmath>

namespace
{
using SlotCompletion = std::function<void (std::unique_ptr<juce::AudioPluginInstance>, const juce::String&)>;

//==============================================================================
// Hosted plug-ins. Their elements (description, path and state) and the asynchronous
// re-creation of their instances belong to the plug-in hosting code, which plugs in here: until
// then a hosted slot writes nothing and a restored one is told at once that no instance came,
// exactly as for an element that names no usable plug-in.

std::unique_ptr<juce::XmlElement> createHostedPluginXml (TavrelDelayAudioProcessor& processor,
                                                         juce::AudioPluginInstance* instance, const juce::String& tag,
                                                         const juce::String& slotPath)
{
    juce::ignoreUnused (processor, instance, tag, slotPath);
    return nullptr;
}

void recreateHostedPlugin (TavrelDelayAudioProcessor& processor, const juce::XmlElement& element,
                           const SlotCompletion& completion)
{
    juce::ignoreUnused (processor, element);
    completion (nullptr, {});
}

//==============================================================================
/** The name and path a hosted slot shows until its plug-in arrives. */
void readHostedSlotShape (const juce::XmlElement& element, juce::String& name, juce::String& customPath)
{
    juce::PluginDescription description;
    RackStateXml::readPluginDescription (element, description);

    name = description.name.isNotEmpty() ? description.name : juce::String (StateXmlIds::loadingName);
    customPath = element.hasAttribute (StateXmlIds::customPath) ? element.getStringAttribute (StateXmlIds::customPath)
                                                                : description.fileOrIdentifier;
}

void removeChildrenNamed (juce::XmlElement& xml, const juce::String& tag)
{
    while (auto* child = StateXmlValues::findChild (xml, tag))
        xml.removeChildElement (child, true);
}

/** Takes the first child of that tag out of the document, or nullptr. */
std::unique_ptr<juce::XmlElement> takeChild (juce::XmlElement& xml, const juce::String& tag)
{
    auto* child = StateXmlValues::findChild (xml, tag);

    if (child == nullptr)
        return nullptr;

    xml.removeChildElement (child, false);
    return std::unique_ptr<juce::XmlElement> (child);
}
} // namespace

//==============================================================================
void TavrelDelayAudioProcessor::getStateInformation (juce::MemoryBlock& destData)
{
    auto xml = parameters.copyState().createXml();

    if (xml == nullptr)
        xml = std::make_unique<juce::XmlElement> (ParameterIds::PARAMETERS);

    // The tree may carry a rack taken over from a loaded reel: the fresh one replaces it.
    removeChildrenNamed (*xml, StateXmlIds::RACK_STATE);
    removeChildrenNamed (*xml, StateXmlIds::AUTOMATION);

    // Only the rack is built under the audio lock; the lanes (megabytes of text) and the
    // document are made while the audio runs.
    xml->addChildElement (createRackStateXml().release());
    xml->addChildElement (AutomationXml::create (automationData, automationModes, numTracks).release());

    copyXmlToBinary (*xml, destData);
}

void TavrelDelayAudioProcessor::setStateInformation (const void* data, int sizeInBytes)
{
    auto xml = getXmlFromBinary (data, sizeInBytes);

    if (xml == nullptr)
        return;

    // The rack and the lanes go to their own readers and do not stay in the parameter tree,
    // where later blobs and reel saves would carry them on as stale copies.
    const auto rack = takeChild (*xml, StateXmlIds::RACK_STATE);
    const auto automation = takeChild (*xml, StateXmlIds::AUTOMATION);
    removeChildrenNamed (*xml, StateXmlIds::RACK_STATE);
    removeChildrenNamed (*xml, StateXmlIds::AUTOMATION);

    if (xml->getTagName().equalsIgnoreCase (ParameterIds::PARAMETERS))
    {
        auto tree = juce::ValueTree::fromXml (*xml);

        if (tree.getType() != juce::Identifier (ParameterIds::PARAMETERS))
        {
            juce::ValueTree renamed (ParameterIds::PARAMETERS);
            renamed.copyPropertiesAndChildrenFrom (tree, nullptr);
            tree = renamed;
        }

        parameters.replaceState (tree);

        const auto& state = parameters.state;
        const auto storedBpm = (double)state.getProperty (ParameterIds::PROJECT_BPM, 120.0);
        const auto storedNumerator = (int)state.getProperty (ParameterIds::PROJECT_TS_NUM, 4);
        const auto storedDenominator = (int)state.getProperty (ParameterIds::PROJECT_TS_DENOM, 4);

        // The tempo drives the click and the synced effects: a damaged value must not stall them.
        bpm = std::isfinite (storedBpm) && storedBpm > 0.0 ? juce::jlimit (20.0, 300.0, storedBpm) : 120.0;
        timeSigNumerator = storedNumerator >= 1 && storedNumerator <= 64 ? storedNumerator : 4;
        timeSigDenominator = storedDenominator >= 1 && storedDenominator <= 64 ? storedDenominator : 4;
    }

    if (rack != nullptr)
        restoreRackState (*rack);

    if (automation != nullptr)
    {
        // Decoding allocates: done before the lanes are locked. Channels the element does not
        // mention keep their lanes and modes.
        const auto channels = AutomationXml::decodeAll (*automation);
        const juce::ScopedLock lock (automationLock);

        for (const auto& channel : channels)
            AutomationXml::applyChannel (channel, automationData, automationModes);
    }
}

//==============================================================================
std::unique_ptr<juce::XmlElement> TavrelDelayAudioProcessor::createRackStateXml()
{
    using namespace StateXmlIds;

    // Held until the element is complete, so the slots cannot change under the writer; the
    // block callback outputs silence meanwhile.
    const juce::ScopedLock lock (audioLock);

    auto rack = std::make_unique<juce::XmlElement> (RACK_STATE);
    rack->setAttribute (StateXmlIds::aux1BuiltIn, aux1BuiltIn);
    rack->setAttribute (StateXmlIds::aux2BuiltIn, aux2BuiltIn);

    auto* instrumentList = rack->createNewChildElement (INSTRUMENTS);

    for (const auto& slot : instruments)
    {
        if (slot == nullptr)
            continue;

        std::unique_ptr<juce::XmlElement> element;

        if (slot->instance != nullptr)
            element = createHostedPluginXml (*this, slot->instance.get(), INSTRUMENT, slot->customPath);
        else if (slot->builtInType != 0)
            element = InstrumentXml::createBuiltIn (*slot);

        if (element == nullptr)
            continue;

        element->setAttribute (StateXmlIds::midiChannel, slot->midiChannel);
        instrumentList->addChildElement (element.release());
    }

    if (auto aux = createHostedPluginXml (*this, aux1Plugin.get(), AUX1, aux1CustomPath))
        rack->addChildElement (aux.release());

    if (auto aux = createHostedPluginXml (*this, aux2Plugin.get(), AUX2, aux2CustomPath))
        rack->addChildElement (aux.release());

    const auto writeChain =
        [&] (const char* listTag, const char* entryName, const std::vector<std::shared_ptr<InsertPlugin>>& chain)
    {
        auto* list = rack->createNewChildElement (listTag);

        for (const auto& entry : chain)
            createInsertXml (*list, entry, entryName);
    };

    writeChain (INSERTS, INSERT_PLUGIN, inputInserts);
    writeChain (TRACK_INSERTS, TRACK_PLUGIN, trackInserts);
    writeChain (MASTER_INSERTS, MASTER_PLUGIN, masterInserts);

    RackStateXml::writeRouting (*rack, trackInputSources, channelGroups);
    return rack;
}

void TavrelDelayAudioProcessor::restoreRackState (const juce::XmlElement& rackState)
{
    using namespace StateXmlIds;

    // A caller that suspended processing itself (a reel load) resumes it when it is done.
    const auto wasSuspended = isSuspended();
    suspendProcessing (true);

    const juce::ScopedLock lock (audioLock);
    const auto rate = getSampleRate() > 0.0 ? getSampleRate() : 44100.0;

    instruments.clear();

    const auto addHostedInstrument = [this] (const juce::XmlElement& element, int channel)
    {
        auto slot = makeInstrumentPlugin();
        slot->midiChannel = channel;
        readHostedSlotShape (element, slot->name, slot->customPath);
        instruments.push_back (slot);

        recreateHostedPlugin (
            *this, element,
            [this, slot] (std::unique_ptr<juce::AudioPluginInstance> instance, const juce::String& path)
            {
                if (instance == nullptr)
                    return;

                const juce::ScopedLock swapLock (audioLock);
                slot->name = instance->getName();
                slot->customPath = path;
                slot->instance = std::move (instance);
            });
    };

    if (const auto* list = StateXmlValues::findChild (rackState, INSTRUMENTS))
    {
        for (auto* element : list->getChildIterator())
        {
            // The instrument outputs are addressed two codes a slot: more slots cannot be heard.
            if ((int)instruments.size() >= RackStateXml::maxInstrumentSlots)
                break;

            const auto channel = StateXmlValues::readCodeOrFallback (*element, StateXmlIds::midiChannel, 0, 0, 16);

            if (element->getTagName() == BUILTIN_INSTRUMENT)
            {
                auto slot = makeInstrumentPlugin();
                slot->midiChannel = channel;
                InstrumentXml::restoreBuiltIn (*slot, *element, rate, audioFormatManager);
                instruments.push_back (slot);
            }
            else
            {
                addHostedInstrument (*element, channel);
            }
        }
    }

    // The single-instrument forms of older reels.
    if ((int)instruments.size() < RackStateXml::maxInstrumentSlots)
    {
        if (const auto* older = StateXmlValues::findChild (rackState, INSTRUMENT))
            addHostedInstrument (*older, 0);
        else if (auto slot = InstrumentXml::makeOlderFormSlot (rackState.getIntAttribute (builtInInstrument, 0), rate))
            instruments.push_back (slot);
    }

    // Built-in aux effects: 1 the reverb, 2 the echo, anything else none.
    this->aux1BuiltIn = StateXmlValues::readCodeOrFallback (rackState, StateXmlIds::aux1BuiltIn, 0, 0, 7);
    this->aux2BuiltIn = StateXmlValues::readCodeOrFallback (rackState, StateXmlIds::aux2BuiltIn, 0, 0, 7);

    const auto restoreAux =
        [this, &rackState] (const char* tag, std::unique_ptr<juce::AudioPluginInstance>& plugin, juce::String& path)
    {
        plugin.reset();

        const auto* element = StateXmlValues::findChild (rackState, tag);

        if (element == nullptr)
        {
            path = {};
            return;
        }

        path = element->getStringAttribute (customPath, loadingName);

        recreateHostedPlugin (*this, *element,
                              [this, &plugin, &path] (std::unique_ptr<juce::AudioPluginInstance> instance,
                                                      const juce::String& resolvedPath)
                              {
                                  if (instance == nullptr)
                                  {
                                      path = {};
                                      return;
                                  }

                                  const juce::ScopedLock swapLock (audioLock);
                                  plugin = std::move (instance);
                                  path = resolvedPath;
                              });
    };

    restoreAux (AUX1, aux1Plugin, aux1CustomPath);
    restoreAux (AUX2, aux2Plugin, aux2CustomPath);

    const auto restoreChain =
        [this, &rackState] (const char* listTag, std::vector<std::shared_ptr<InsertPlugin>>& chain)
    {
        chain.clear();

        if (const auto* list = StateXmlValues::findChild (rackState, listTag))
            for (auto* element : list->getChildIterator())
                restoreInsertFromXml (*element, chain);
    };

    restoreChain (INSERTS, inputInserts);
    restoreChain (TRACK_INSERTS, trackInserts);
    restoreChain (MASTER_INSERTS, masterInserts);

    if (const auto* routingElement = StateXmlValues::findChild (rackState, ROUTING))
    {
        const auto routing = RackStateXml::readRouting (*routingElement);

        for (size_t i = 0; i < (size_t)RackStateXml::numRoutedTracks; ++i)
        {
            trackInputSources[i] = routing.inputSources[i];
            channelGroups[i] = routing.groups[i];
        }
    }

    if (! wasSuspended)
        suspendProcessing (false);
}

//==============================================================================
void TavrelDelayAudioProcessor::createInsertXml (juce::XmlElement& chain, const std::shared_ptr<InsertPlugin>& entry,
                                                 const juce::String& entryName)
{
    if (entry == nullptr)
        return;

    if (entry->instance != nullptr)
    {
        if (auto element = createHostedPluginXml (*this, entry->instance.get(), entryName, entry->customPath))
        {
            element->setAttribute (StateXmlIds::targetTrack, entry->targetTrack);
            element->setAttribute (StateXmlIds::bypass, entry->bypass ? 1 : 0);
            chain.addChildElement (element.release());
        }
    }
    else if (entry->builtInType != 0)
    {
        chain.addChildElement (InsertXml::createBuiltIn (*entry, entryName).release());
    }
}

void TavrelDelayAudioProcessor::restoreInsertFromXml (const juce::XmlElement& element,
                                                      std::vector<std::shared_ptr<InsertPlugin>>& chain)
{
    if (InsertXml::isBuiltInTag (element.getTagName()))
    {
        chain.push_back (InsertXml::restoreBuiltIn (element, getSampleRate()));
        return;
    }

    auto entry = makeInsertPlugin();
    readHostedSlotShape (element, entry->name, entry->customPath);
    entry->targetTrack = StateXmlValues::readCodeOrFallback (element, StateXmlIds::targetTrack, -1, -1, maxTracks - 1);
    entry->bypass = element.getBoolAttribute (StateXmlIds::bypass, false);
    chain.push_back (entry);

    recreateHostedPlugin (*this, element,
                          [this, entry] (std::unique_ptr<juce::AudioPluginInstance> instance, const juce::String& path)
                          {
                              if (instance == nullptr)
                                  return;

                              const juce::ScopedLock swapLock (audioLock);
                              entry->name = instance->getName();
                              entry->customPath = path;
                              entry->instance = std::move (instance);
                          });
}
