// The processor's stored state: the state blob a host asks for, and the rack element (the
// instrument slots, aux returns, insert chains, routing and groups) that reels and the blob carry.

#include "engine/TavrelDelayAudioProcessor.h"
#include "engine/ProcessingHold.h"

#include "engine/ParameterIds.h"
#include "storage/AutomationXml.h"
#include "storage/GuardedXmlReader.h"
#include "storage/InsertXml.h"
#include "storage/InstrumentXml.h"
#include "storage/PluginXml.h"
#include "storage/RackStateXml.h"
#include "storage/StateXmlIds.h"
#include "storage/StateXmlValues.h"

#include <cmath>

namespace
{
//==============================================================================
/** The element of a hosted slot for a save: from its live plug-in, else the element it was
    restored from (its plug-in is still loading or failed to load, and must not vanish from the
    reel), else nothing. */
std::unique_ptr<juce::XmlElement> createHostedSlotXml (TavrelDelayAudioProcessor& processor,
                                                       juce::AudioPluginInstance* instance,
                                                       const std::shared_ptr<const juce::XmlElement>& stored,
                                                       const juce::String& tag, const juce::String& slotPath)
{
    if (instance != nullptr)
        return processor.createPluginXml (instance, tag, slotPath);

    if (stored != nullptr)
        return PluginXml::writeBack (*stored, tag);

    return nullptr;
}

/** Sets an attribute as the last one of the element (a written-back element already has it). */
void setLastAttribute (juce::XmlElement& element, const juce::String& name, int value)
{
    element.removeAttribute (name);
    element.setAttribute (name, value);
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
    auto snapshot = takeReelStateSnapshot();
    auto xml = snapshot.parameterState.createXml();

    if (xml == nullptr)
        xml = std::make_unique<juce::XmlElement> (ParameterIds::PARAMETERS);

    // The tree may carry a rack taken over from a loaded reel: the fresh one replaces it.
    removeChildrenNamed (*xml, StateXmlIds::RACK_STATE);
    removeChildrenNamed (*xml, StateXmlIds::AUTOMATION);

    xml->addChildElement (snapshot.rack.release());
    xml->addChildElement (AutomationXml::create (automationData, automationModes, numTracks).release());

    copyXmlToBinary (*xml, destData);
}

void TavrelDelayAudioProcessor::setStateInformation (const void* data, int sizeInBytes)
{
    auto xml = GuardedXmlReader::parseStateBlob (data, sizeInBytes);

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

    // No lock of its own: the slot lists change only on the message thread, with the audio lock
    // held, so the message thread reads them as they are (see takeReelStateSnapshot).
    auto rack = std::make_unique<juce::XmlElement> (RACK_STATE);
    rack->setAttribute (StateXmlIds::aux1BuiltIn, aux1BuiltIn);
    rack->setAttribute (StateXmlIds::aux2BuiltIn, aux2BuiltIn);

    auto* instrumentList = rack->createNewChildElement (INSTRUMENTS);

    for (const auto& slot : instruments)
    {
        if (slot == nullptr)
            continue;

        std::unique_ptr<juce::XmlElement> element;

        if (slot->instance != nullptr || slot->storedPluginXml != nullptr)
            element =
                createHostedSlotXml (*this, slot->instance.get(), slot->storedPluginXml, INSTRUMENT, slot->customPath);
        else if (slot->builtInType != 0)
            element = InstrumentXml::createBuiltIn (*slot);

        if (element == nullptr)
            continue;

        setLastAttribute (*element, StateXmlIds::midiChannel, slot->midiChannel);
        instrumentList->addChildElement (element.release());
    }

    if (auto aux = createHostedSlotXml (*this, aux1Plugin.get(), aux1StoredPluginXml, AUX1, aux1CustomPath))
        rack->addChildElement (aux.release());

    if (auto aux = createHostedSlotXml (*this, aux2Plugin.get(), aux2StoredPluginXml, AUX2, aux2CustomPath))
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

    // Counted: a caller that holds processing itself (a reel load) keeps it held.
    const ProcessingHold hold (*this);

    const juce::ScopedLock lock (audioLock);
    const auto rate = getSampleRate() > 0.0 ? getSampleRate() : 44100.0;

    // The slots replaced go once their plug-in windows have closed, never at once: a window
    // may still show one.
    for (auto& slot : instruments)
        if (slot != nullptr)
            retireSlot (slot, slot->instance.get());

    instruments.clear();

    const auto addHostedInstrument = [this] (const juce::XmlElement& element, int channel)
    {
        auto slot = makeInstrumentPlugin();
        slot->midiChannel = channel;
        readHostedSlotShape (element, slot->name, slot->customPath);
        slot->storedPluginXml = std::make_shared<const juce::XmlElement> (element);
        instruments.push_back (slot);

        // The completion holds the slot: it may arrive after a later restore has replaced it.
        restorePluginFromXml (slot->storedPluginXml.get(), HostedSlotKind::instrument,
                              [weak = juce::WeakReference<TavrelDelayAudioProcessor> (this),
                               slot] (std::unique_ptr<juce::AudioPluginInstance> instance, const juce::String& path)
                              {
                                  if (auto* self = weak.get())
                                      self->installInstrumentPluginInstance (slot, std::move (instance), path);
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

    const auto restoreAux = [this, &rackState] (int aux, const char* tag)
    {
        auto& plugin = aux == 0 ? aux1Plugin : aux2Plugin;
        auto& path = aux == 0 ? aux1CustomPath : aux2CustomPath;
        auto& stored = aux == 0 ? aux1StoredPluginXml : aux2StoredPluginXml;

        if (plugin != nullptr)
        {
            std::shared_ptr<juce::AudioPluginInstance> old (std::move (plugin));
            auto* instance = old.get();
            retireSlot (std::move (old), instance);
        }

        stored.reset();

        const auto* element = StateXmlValues::findChild (rackState, tag);

        if (element == nullptr)
        {
            path = {};
            return;
        }

        path = element->getStringAttribute (customPath, loadingName);
        stored = std::make_shared<const juce::XmlElement> (*element);

        // The return itself outlives this restore: a plug-in arriving after a later restore, or
        // after the user put another plug-in there, belongs to a rack that is gone and is
        // dropped. The element the return was restored from tells them apart.
        restorePluginFromXml (stored.get(), HostedSlotKind::auxReturn,
                              [weak = juce::WeakReference<TavrelDelayAudioProcessor> (this), aux,
                               expected = std::weak_ptr<const juce::XmlElement> (stored)] (
                                  std::unique_ptr<juce::AudioPluginInstance> instance, const juce::String& resolvedPath)
                              {
                                  auto* self = weak.get();

                                  if (self == nullptr)
                                      return;

                                  const juce::ScopedLock swapLock (self->audioLock);
                                  const auto& current =
                                      aux == 0 ? self->aux1StoredPluginXml : self->aux2StoredPluginXml;

                                  if (current == nullptr || current != expected.lock())
                                      return;

                                  self->installAuxPluginInstance (aux, std::move (instance), resolvedPath);
                              });
    };

    restoreAux (0, AUX1);
    restoreAux (1, AUX2);

    const auto restoreChain =
        [this, &rackState] (const char* listTag, std::vector<std::shared_ptr<InsertPlugin>>& chain)
    {
        for (auto& entry : chain)
            if (entry != nullptr)
                retireSlot (entry, entry->instance.get());

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
}

//==============================================================================
void TavrelDelayAudioProcessor::createInsertXml (juce::XmlElement& chain, const std::shared_ptr<InsertPlugin>& entry,
                                                 const juce::String& entryName)
{
    if (entry == nullptr)
        return;

    if (entry->instance != nullptr || entry->storedPluginXml != nullptr)
    {
        if (auto element = createHostedSlotXml (*this, entry->instance.get(), entry->storedPluginXml, entryName,
                                                entry->customPath))
        {
            setLastAttribute (*element, StateXmlIds::targetTrack, entry->targetTrack);
            setLastAttribute (*element, StateXmlIds::bypass, entry->bypass ? 1 : 0);
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
    entry->storedPluginXml = std::make_shared<const juce::XmlElement> (element);
    chain.push_back (entry);

    // Which kind of slot the chain is decides the channel layouts the plug-in is asked for.
    const auto kind = &chain == &inputInserts   ? HostedSlotKind::inputInsert
                      : &chain == &trackInserts ? HostedSlotKind::trackInsert
                                                : HostedSlotKind::masterInsert;

    restorePluginFromXml (entry->storedPluginXml.get(), kind,
                          [weak = juce::WeakReference<TavrelDelayAudioProcessor> (this),
                           entry] (std::unique_ptr<juce::AudioPluginInstance> instance, const juce::String& path)
                          {
                              if (auto* self = weak.get())
                                  self->installInsertPluginInstance (entry, std::move (instance), path);
                          });
}

//==============================================================================
std::unique_ptr<juce::XmlElement> TavrelDelayAudioProcessor::createPluginXml (juce::AudioPluginInstance* instance,
                                                                              const juce::String& tag,
                                                                              const juce::String& slotPath)
{
    if (instance == nullptr)
        return nullptr;

    juce::MemoryBlock state;
    instance->getStateInformation (state);
    return PluginXml::create (tag, instance->getPluginDescription(), slotPath, state);
}

void TavrelDelayAudioProcessor::restorePluginFromXml (const juce::XmlElement* element, HostedSlotKind kind,
                                                      juce::AudioPluginFormat::PluginCreationCallback slotCompletion)
{
    PluginXml::Stored stored;

    if (element == nullptr || ! PluginXml::read (*element, stored))
    {
        slotCompletion (nullptr, {});
        return;
    }

    // The creation checks every file it would load against the plug-in rule (standard folders,
    // the known list, "BlockedPlugins.txt"): a reel from elsewhere cannot make this process run
    // a file the user never installed or scanned.
    createHostedPluginAsync (
        stored.description, kind, stored.path, stored.state,
        [slotCompletion] (std::unique_ptr<juce::AudioPluginInstance> instance, const juce::String& resolvedPath)
        { slotCompletion (std::move (instance), resolvedPath); });
}
