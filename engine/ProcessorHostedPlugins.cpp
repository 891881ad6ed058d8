// Hosted plug-in slots: asynchronous creation of plug-ins into the insert chains, the aux returns
// and the instrument slots, built-in instrument slots, removal and the slots' settings.

#include "engine/TavrelDelayAudioProcessor.h"
#include "engine/ProcessingHold.h"

#include "instruments/BuiltInInstruments.h"
#include "rack/EditorConsoleRefresh.h"

#include <algorithm>
#include <optional>

namespace
{
using Processor = TavrelDelayAudioProcessor;

/** Every change of what the audio thread reads: processing suspended, then the audio lock, the
    change, the lock released, processing resumed (in the order the locks are always taken).
    A change made while processing is already held (a reel being restored) leaves it held. */
template <typename Change> void changeSlots (Processor& processor, Change&& change)
{
    const ProcessingHold hold (processor);
    const juce::ScopedLock lock (processor.audioLock);
    change();
}


template <typename Slot> void removeSlot (Processor& processor, std::vector<std::shared_ptr<Slot>>& list, int index)
{
    if (index < 0 || index >= (int)list.size())
        return;

    std::shared_ptr<Slot> removed;

    changeSlots (processor,
                 [&]
                 {
                     removed = list[(size_t)index];
                     list.erase (list.begin() + index);
                 });

    processor.unsavedChanges = true;

    // Destroyed on the message thread once the handler that removed it has returned and no
    // window of its plug-in is open any more.
    auto* instance = removed != nullptr ? removed->instance.get() : nullptr;
    processor.retireSlot (std::move (removed), instance);
}

template <typename Slot> Slot* slotAt (std::vector<std::shared_ptr<Slot>>& list, int index)
{
    return index >= 0 && index < (int)list.size() ? list[(size_t)index].get() : nullptr;
}

double currentRate (const Processor& processor)
{
    return processor.getSampleRate() > 0.0 ? processor.getSampleRate() : 44100.0;
}

int currentBlockSize (const Processor& processor)
{
    return processor.getBlockSize() > 0 ? processor.getBlockSize() : 512;
}

/** The description of the plug-in in the file at path: the one of the same plug-in as wanted
    when the file holds several, else the first. Loads the file (only called for files that may
    be loaded). */
std::optional<juce::PluginDescription> describePluginFile (juce::AudioPluginFormatManager& formats,
                                                           const juce::String& path,
                                                           const juce::PluginDescription& wanted)
{
    for (int i = 0; i < formats.getNumFormats(); ++i)
    {
        auto* format = formats.getFormat (i);

        if (! format->fileMightContainThisPluginType (path))
            continue;

        juce::OwnedArray<juce::PluginDescription> found;
        format->findAllTypesForFile (found, path);

        if (found.isEmpty())
            continue;

        for (auto* description : found)
            if (description->uniqueId == wanted.uniqueId && description->name == wanted.name)
                return *description;

        return *found.getFirst();
    }

    return std::nullopt;
}

/** Aux index 0 is the first return; any other index the second. */
struct AuxMembers
{
    std::unique_ptr<juce::AudioPluginInstance>& plugin;
    juce::String& path;
    std::shared_ptr<const juce::XmlElement>& storedXml;
};

AuxMembers auxMembers (Processor& processor, int aux)
{
    if (aux == 0)
        return {processor.aux1Plugin, processor.aux1CustomPath, processor.aux1StoredPluginXml};

    return {processor.aux2Plugin, processor.aux2CustomPath, processor.aux2StoredPluginXml};
}

/** What a request put in place: the new slot of an insert chain or of the instruments, or the
    aux return's new plug-in; all null when nothing. */
struct AddedSlot
{
    std::shared_ptr<Processor::InsertPlugin> insert;
    std::shared_ptr<Processor::InstrumentPlugin> instrument;
    juce::AudioPluginInstance* auxPlugin = nullptr;
};

using SlotAdded = std::function<void (const AddedSlot&)>;

bool instrumentsFull (const Processor& processor)
{
    return (int)processor.instruments.size() >= Processor::maxInstrumentSlots;
}

/** Where a plug-in asked for by the user goes once created. */
AddedSlot addCreatedPlugin (Processor& processor, Processor::HostedSlotKind kind, int index,
                            std::unique_ptr<juce::AudioPluginInstance> instance, const juce::String& path)
{
    using Kind = Processor::HostedSlotKind;
    AddedSlot added;

    if (kind == Kind::auxReturn)
    {
        added.auxPlugin = instance.get();
        processor.installAuxPluginInstance (index, std::move (instance), path);
    }
    else if (kind == Kind::instrument)
    {
        // Other requests (or built-in slots) may have filled the slots while this one loaded.
        if (instrumentsFull (processor))
            return added;

        auto slot = makeInstrumentPlugin();
        slot->name = instance->getName();
        slot->customPath = path;
        slot->instance = std::move (instance);
        changeSlots (processor, [&] { processor.instruments.push_back (slot); });
        added.instrument = slot;
    }
    else
    {
        auto slot = makeInsertPlugin();
        slot->targetTrack = kind == Kind::trackInsert ? index : -1;
        slot->name = instance->getName();
        slot->customPath = path;
        slot->instance = std::move (instance);

        auto& chain = kind == Kind::inputInsert   ? processor.inputInserts
                      : kind == Kind::trackInsert ? processor.trackInserts
                                                  : processor.masterInserts;

        changeSlots (processor, [&] { chain.push_back (slot); });
        added.insert = slot;
    }

    processor.unsavedChanges = true;
    return added;
}

/** Creates the plug-in asynchronously and, when it arrives while the processor still exists,
    puts it in the slot (a failed creation leaves every slot as it was, aux path included). The
    completion learns what this request put in place. */
void createAndAddPlugin (Processor& processor, const juce::PluginDescription& description,
                         Processor::HostedSlotKind kind, int index, SlotAdded onAdded)
{
    processor.createHostedPluginAsync (description, kind, description.fileOrIdentifier, {},
                                       [weak = juce::WeakReference<Processor> (&processor), kind, index, onAdded] (
                                           std::unique_ptr<juce::AudioPluginInstance> instance, const juce::String& path)
                                       {
                                           auto* self = weak.get();
                                           if (self == nullptr)
                                               return;

                                           AddedSlot added;
                                           if (instance != nullptr)
                                               added = addCreatedPlugin (*self, kind, index, std::move (instance), path);

                                           if (onAdded != nullptr)
                                               onAdded (added);
                                       });
}

SlotAdded forInsert (Processor::InsertAdded onAdded)
{
    if (onAdded == nullptr)
        return {};
    return [onAdded] (const AddedSlot& added) { onAdded (added.insert); };
}
} // namespace

//==============================================================================
void TavrelDelayAudioProcessor::addInputInsertPlugin (const juce::PluginDescription& description, InsertAdded onAdded)
{
    createAndAddPlugin (*this, description, HostedSlotKind::inputInsert, -1, forInsert (std::move (onAdded)));
}

void TavrelDelayAudioProcessor::addTrackInsertPlugin (const juce::PluginDescription& description, int track,
                                                      InsertAdded onAdded)
{
    if (track < 0 || track >= maxTracks)
    {
        if (onAdded != nullptr)
            juce::MessageManager::callAsync ([onAdded] { onAdded (nullptr); });
        return;
    }

    createAndAddPlugin (*this, description, HostedSlotKind::trackInsert, track, forInsert (std::move (onAdded)));
}

void TavrelDelayAudioProcessor::addMasterInsertPlugin (const juce::PluginDescription& description, InsertAdded onAdded)
{
    createAndAddPlugin (*this, description, HostedSlotKind::masterInsert, -1, forInsert (std::move (onAdded)));
}

void TavrelDelayAudioProcessor::loadAuxPlugin (int aux, const juce::PluginDescription& description, AuxLoaded onLoaded)
{
    SlotAdded completion;
    if (onLoaded != nullptr)
        completion = [onLoaded] (const AddedSlot& added) { onLoaded (added.auxPlugin); };

    createAndAddPlugin (*this, description, HostedSlotKind::auxReturn, aux == 0 ? 0 : 1, std::move (completion));
}

void TavrelDelayAudioProcessor::addInstrumentPlugin (const juce::PluginDescription& description, InstrumentAdded onAdded)
{
    if (instrumentsFull (*this))
    {
        if (onAdded != nullptr)
            juce::MessageManager::callAsync ([onAdded] { onAdded (nullptr); });
        return;
    }

    SlotAdded completion;
    if (onAdded != nullptr)
        completion = [onAdded] (const AddedSlot& added) { onAdded (added.instrument); };

    createAndAddPlugin (*this, description, HostedSlotKind::instrument, -1, std::move (completion));
}

bool TavrelDelayAudioProcessor::addBuiltInInstrument (int type)
{
    if (instrumentsFull (*this))
        return false;

    auto slot = makeInstrumentPlugin();
    slot->builtInType = type;
    slot->name = BuiltInInstruments::getDeviceName (type);
    slot->createEngine (getSampleRate());

    changeSlots (*this, [&] { instruments.push_back (slot); });
    unsavedChanges = true;
    return true;
}

//==============================================================================
void TavrelDelayAudioProcessor::removeInputInsert (int index)
{
    removeSlot (*this, inputInserts, index);
}

void TavrelDelayAudioProcessor::removeTrackInsert (int index)
{
    removeSlot (*this, trackInserts, index);
}

void TavrelDelayAudioProcessor::removeMasterInsert (int index)
{
    removeSlot (*this, masterInserts, index);
}

void TavrelDelayAudioProcessor::removeInstrument (int index)
{
    removeSlot (*this, instruments, index);
}

void TavrelDelayAudioProcessor::setInputInsertTarget (int index, int track)
{
    if (auto* slot = slotAt (inputInserts, index))
    {
        slot->targetTrack = track;
        unsavedChanges = true;
    }
}

void TavrelDelayAudioProcessor::setTrackInsertBypass (int index, bool shouldBypass)
{
    if (auto* slot = slotAt (trackInserts, index))
    {
        slot->bypass = shouldBypass;
        unsavedChanges = true;
    }
}

void TavrelDelayAudioProcessor::setMasterInsertBypass (int index, bool shouldBypass)
{
    if (auto* slot = slotAt (masterInserts, index))
    {
        slot->bypass = shouldBypass;
        unsavedChanges = true;
    }
}

void TavrelDelayAudioProcessor::setInstrumentMidiChannel (int index, int channel)
{
    if (auto* slot = slotAt (instruments, index))
    {
        slot->midiChannel = juce::jlimit (0, 16, channel);
        unsavedChanges = true;
    }
}

//==============================================================================
bool TavrelDelayAudioProcessor::isPluginPathAllowed (const juce::String& path) const
{
    return pluginLoadPolicy.isPathAllowed (path, knownPluginList);
}

void TavrelDelayAudioProcessor::createHostedPluginAsync (const juce::PluginDescription& requested, HostedSlotKind kind,
                                                         const juce::String& path, const juce::MemoryBlock& state,
                                                         juce::AudioPluginFormat::PluginCreationCallback onCreated)
{
    // A restore running on another thread hands the request over: plug-in files are read and
    // plug-ins created on the message thread only. It counts as pending from now on.
    if (! juce::MessageManager::getInstance()->isThisTheMessageThread())
    {
        ++pendingPluginCreations;
        juce::MessageManager::callAsync (
            [weak = juce::WeakReference<TavrelDelayAudioProcessor> (this), requested, kind, path, state, onCreated]
            {
                if (auto* self = weak.get())
                {
                    self->createHostedPluginAsync (requested, kind, path, state, onCreated);
                    --self->pendingPluginCreations;
                }
            });
        return;
    }

    auto description = requested;
    const auto resolvedPath = path.isNotEmpty() ? path : description.fileOrIdentifier;

    // The slot names another file than its description: the plug-in was moved (or the reel was
    // made elsewhere). Its own file then describes it, when that file may be loaded at all.
    if (resolvedPath != description.fileOrIdentifier && isPluginPathAllowed (resolvedPath) &&
        juce::File (resolvedPath).exists())
    {
        if (auto found = describePluginFile (pluginFormatManager, resolvedPath, description))
            description = *found;
    }

    ++pendingPluginCreations;

    auto complete = [weak = juce::WeakReference<TavrelDelayAudioProcessor> (this), kind, state, resolvedPath,
                     onCreated] (std::unique_ptr<juce::AudioPluginInstance> instance, const juce::String&)
    {
        // With the processor gone the instance is simply destroyed, here on the message thread.
        auto* self = weak.get();

        if (self == nullptr)
            return;

        --self->pendingPluginCreations;

        if (instance != nullptr)
            PluginSlotLoader::prepareForSlot (*instance, kind, self, state, currentRate (*self),
                                              currentBlockSize (*self));

        if (onCreated != nullptr)
            onCreated (std::move (instance), resolvedPath);

        // The console's insert and source labels name what the slots hold.
        postEditorConsoleRefresh();
    };

    // A file that may not be loaded is never opened; the answer still comes later, as every
    // answer does, so callers need no second path.
    if (! isPluginPathAllowed (description.fileOrIdentifier))
    {
        juce::MessageManager::callAsync ([complete] { complete (nullptr, {}); });
        return;
    }

    pluginFormatManager.createPluginInstanceAsync (description, currentRate (*this), currentBlockSize (*this),
                                                   std::move (complete));
}

//==============================================================================
void TavrelDelayAudioProcessor::installInsertPluginInstance (const std::shared_ptr<InsertPlugin>& slot,
                                                             std::unique_ptr<juce::AudioPluginInstance> instance,
                                                             const juce::String& path)
{
    if (slot == nullptr || instance == nullptr)
        return;

    const auto name = instance->getName();

    changeSlots (*this,
                 [&]
                 {
                     std::swap (slot->instance, instance);
                     slot->name = name;
                     slot->customPath = path;
                 });

    // instance now holds the plug-in replaced, if any: destroyed here, out of the lock, after
    // its editor window.
    if (instance != nullptr && onPluginReplaced != nullptr)
        onPluginReplaced (instance.get());
}

void TavrelDelayAudioProcessor::installInstrumentPluginInstance (const std::shared_ptr<InstrumentPlugin>& slot,
                                                                 std::unique_ptr<juce::AudioPluginInstance> instance,
                                                                 const juce::String& path)
{
    if (slot == nullptr || instance == nullptr)
        return;

    const auto name = instance->getName();

    changeSlots (*this,
                 [&]
                 {
                     std::swap (slot->instance, instance);
                     slot->name = name;
                     slot->customPath = path;
                 });

    if (instance != nullptr && onPluginReplaced != nullptr)
        onPluginReplaced (instance.get());
}

void TavrelDelayAudioProcessor::installAuxPluginInstance (int aux, std::unique_ptr<juce::AudioPluginInstance> instance,
                                                          const juce::String& path)
{
    auto members = auxMembers (*this, aux);

    if (instance == nullptr)
    {
        members.path = {};
        return;
    }

    changeSlots (*this,
                 [&]
                 {
                     std::swap (members.plugin, instance);
                     members.path = path;
                     members.storedXml.reset();
                 });

    // The plug-in this one replaced may still show its editor (the user may have opened it
    // again while the new one loaded): that window closes first, and the plug-in goes once no
    // editor of it is open.
    if (instance != nullptr)
    {
        auto* replaced = instance.get();
        if (onPluginReplaced != nullptr)
            onPluginReplaced (replaced);
        retireSlot (std::shared_ptr<juce::AudioPluginInstance> (std::move (instance)), replaced);
    }
}

//==============================================================================
void TavrelDelayAudioProcessor::retireSlot (std::shared_ptr<void> owner, juce::AudioPluginInstance* instance)
{
    if (owner == nullptr)
        return;

    {
        const juce::ScopedLock lock (retiredSlotsLock);
        retiredSlots.push_back ({std::move (owner), instance});
    }

    audioThreadRequests.post (AudioThreadRequests::retiredSlots);
}

int TavrelDelayAudioProcessor::releaseRetiredSlots()
{
    JUCE_ASSERT_MESSAGE_THREAD

    std::vector<RetiredSlot> released;
    int waiting = 0;

    {
        const juce::ScopedLock lock (retiredSlotsLock);

        const auto editorOpen = [] (const RetiredSlot& slot)
        { return slot.instance != nullptr && slot.instance->getActiveEditor() != nullptr; };

        for (auto& slot : retiredSlots)
            if (! editorOpen (slot))
                released.push_back (std::move (slot));

        retiredSlots.erase (std::remove_if (retiredSlots.begin(), retiredSlots.end(),
                                            [] (const RetiredSlot& slot) { return slot.owner == nullptr; }),
                            retiredSlots.end());
        waiting = (int)retiredSlots.size();
    }

    // The plug-ins go here, out of the lock.
    released.clear();

    if (waiting > 0)
        audioThreadRequests.post (AudioThreadRequests::retiredSlots);

    return waiting;
}
